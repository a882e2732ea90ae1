// A believable demo system: conferences of several kinds, persons with
// presentations, a demo user ("Demo User", password "demo") and a few
// hundred texts in threaded discussions with links, marks and aux items.
#pragma once

namespace miravod {

class Store;

class DemoSeed {
public:
    static constexpr const char* kCompanionName = "Oskar Lind";
    // Fills an empty store.
    static void Fill(Store& store, int passwordIterations);
};

} // namespace miravod
