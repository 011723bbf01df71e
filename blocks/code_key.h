// The code key a block record is identified by: a two-letter market prefix
// and the security code (SH600000, SZ000001, HK00700). Each block function
// builds its key by its own rule; the rules differ and are not
// interchangeable, because files written by one function must look the same
// as the host and earlier versions of the library wrote them.
//
// Every rule writes into skcode (kCodeKeyBytes) and refuses a key longer
// than the 8-byte code field of a record: cutting it would file the security
// under another security's code.
#pragma once

#include <cstddef>

// save2blk: no prefix when the label's first byte (signed) lies in 'A'..'z'
// (the label already carries its market); else "HK" under 6 characters; else
// "SH" from "600000" on; else "SZ". False (key empty) when it would not fit.
bool key_letter_aware(const char* label, char* skcode);

// save2blk0: "HK" under 6 characters, else "SH" from "600000" on, else "SZ";
// no letter test. False (key empty) when it would not fit.
bool key_plain(const char* code, char* skcode);

// inblock: "SH" from "600000" on, else "SZ"; no HK case and no letter test.
// False (key empty) when it would not fit.
bool key_two_markets(const char* label, char* skcode);

// saveInt2blk: "SH" for c >= 600000, else "SZ", then c in six digits with
// leading zeros. False (key empty) when c lies outside 0..699999.
bool key_integer(int c, char* skcode);
