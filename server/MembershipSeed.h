// Readers who are members of many conferences, every one of them with unread
// texts: the world the logon and conference-list tests and benchmarks need.
// Conference i (from 0) gets i % 4 + 2 texts, of which its members have
// read the first, and each member's priority for it is PriorityOf(i).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace miravod {

class Store;

class MembershipSeed {
public:
    // Creates count conferences named "<prefix> <i>"; their numbers in order.
    static std::vector<int32_t> AddConferences(Store& store, int count, const std::string& prefix);
    // A person who is a member of the given conferences (indexes as above).
    static int32_t AddReader(Store& store, const std::string& name, const std::string& password,
                             const std::vector<int32_t>& confs, int passwordIterations);

    static int32_t UnreadOf(int index) { return index % 4 + 1; }
    static int32_t PriorityOf(int index) { return 50 + (index * 37) % 200; }
};

} // namespace miravod
