// Shared fixture of the TDX line-file tests: a host tree whose TARVEX.ini
// points "通达信" at a scratch TDX installation with its T0002 folder.
#pragma once

#include "tests/native/support.h"

class TdxInstallTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        make_dir("tdx");
        make_dir("tdx/T0002");
        write_text("TARVEX.ini", "[路径]\r\n通达信=" + win("tdx") + "\r\n");
    }
};
