// The misc-info items of a text status: recipients, carbon copies, comment and
// footnote links. The class says the kind; callers test it with dynamic_cast.
#pragma once

#include <cstdint>

#include "core/wire/DateTime.h"

namespace pellar {

class TMiscInfo
{
public:
    virtual ~TMiscInfo() = default;
    // The wire tag that creates this kind of item; -1 for the abstract kinds.
    virtual int Tag() const { return -1; }
};

// A recipient of either kind.
class TMiscInfoNormal : public TMiscInfo
{
public:
    int32_t confNo = 0;
    int32_t localNo = 0;
    TDateTime recvTime = 0;
    int32_t sentBy = 0;
    TDateTime sentAt = 0;
};

class TMiscInfoRcpt : public TMiscInfoNormal
{
public:
    int Tag() const override { return 0; }
};

class TMiscInfoCC : public TMiscInfoNormal
{
public:
    int Tag() const override { return 1; }
};

class TMiscInfoMbx : public TMiscInfo
{
public:
    TDateTime sentAt = 0;
};

// A link to another text.
class TMiscInfoGText : public TMiscInfoMbx
{
public:
    int32_t textNo = 0;
};

class TMiscInfoCommTo : public TMiscInfoGText
{
public:
    int32_t sentBy = 0;
    int Tag() const override { return 2; }
};

class TMiscInfoCommIn : public TMiscInfoGText
{
public:
    int Tag() const override { return 3; }
};

class TMiscInfoFootTo : public TMiscInfoGText
{
public:
    int Tag() const override { return 4; }
};

class TMiscInfoFootIn : public TMiscInfoGText
{
public:
    int Tag() const override { return 5; }
};

} // namespace pellar
