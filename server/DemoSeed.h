// A believable demo system: conferences of several kinds, persons with
// presentations, a demo user ("Demo User", password "demo") and a few
// hundred texts in threaded discussions with links, marks and aux items.
#pragma once

namespace miravod {

class Store;

class DemoSeed {
public:
    static constexpr const char* kCompanionName = "Oskar Lind";
    // The demo persons' password is "demo", written in the README: stretching
    // it guards nothing, and a full-strength hash costs every demo logon
    // tens of milliseconds. Accounts made later keep the server's strength.
    static constexpr int kDemoIterations = 1000;
    // Fills an empty store; the demo persons' hashes take at most
    // kDemoIterations of passwordIterations.
    static void Fill(Store& store, int passwordIterations);
};

} // namespace miravod
