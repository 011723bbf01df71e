// The TDX terminal as the bridge finds it: the main window whose title
// contains the TitleName of the terminal's own connect.cfg.
#pragma once

#include <cstddef>

#include "platform/windows.h"

constexpr size_t kTdxTitleBytes = 300;  // title[300], filled with at most 200 bytes
constexpr size_t kTdxTitleLimit = 200;

enum class TerminalLookup { found, not_configured, incomplete, not_running };

// Reads "路径"/"通达信" from TARVEX.ini and "OTHER"/"TitleName" from the
// directory's connect.cfg into `title`, then looks for a top-level window
// whose title contains it. Logs nothing; the callers word their messages.
TerminalLookup find_tdx_terminal(char (&title)[kTdxTitleBytes], plat::Window* terminal);
