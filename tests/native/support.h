// Test support: a scratch host directory tree that the library takes for the
// host's (module_dir and the working directory), and a chart builder that
// owns the arrays a tagCALCINFO points to.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/call_record.h"
#include "tests/expected_bytes.h"
#include "tools/harness/lib/chart.h"


// A fresh host tree per test: <tmp>/host/ with userdata\block, userdata\self
// and userdata\SelfData. The library sees the host program as <tmp>/host/dzh.exe,
// and the test runs with <tmp>/host as its working directory.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Native path of a file below the host directory ("userdata/block/x.BLK").
    std::string at(const std::string& rel) const;
    // The same path as the library spells it (backslashes).
    std::string win(const std::string& rel) const;
    // The host directory with its trailing backslash, as module_dir gives it.
    std::string module_dir_text() const;

    void write_text(const std::string& rel, const std::string& text) const;
    void write_bytes(const std::string& rel, const Bytes& bytes) const;
    Bytes read_bytes(const std::string& rel) const;
    bool exists(const std::string& rel) const;
    void make_dir(const std::string& rel) const;
    // Content of TARVEX.log, or empty.
    std::string log_text() const;

    std::string root_;  // native path of the host directory, no trailing slash

private:
    std::string old_cwd_;
};

// Seconds of a local calendar time (the tests run in the time zone CST-8).
int64_t local_seconds(int year, int month, int day, int hour, int minute, int second);


// The chart builder shared with the harness: Chart and day_bars.
