// Entry point of every test executable. Ignores SIGPIPE so that a test
// whose peer hangs up sees an error from send() instead of dying.
#include <csignal>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
