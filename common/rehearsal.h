// Rehearsal: with "[安全] 演练=1" in TARVEX.ini, every export that acts on
// another program (types, clicks, sends a command, writes another process's
// memory, starts a program or rewrites a host file) does everything up to
// the act, then logs the act as "演练: <export> ..." instead of doing it, and
// returns what it would have returned after acting. Each act point reads
//     if (rehearsing()) { log_rehearsal(...); } else { act }
// A rehearsal leaves the bridges' memory that stops repeats (last label,
// last operation) as the live calls left it: it works on a copy of its own
// (RehearsalScope), so switching the rehearsal off acts on the next signal
// as if no rehearsal had run.
#pragma once

#include <cstring>
#include <initializer_list>
#include <type_traits>

// Whether TARVEX.ini holds "[安全] 演练=" with a non-zero number (read like
// every other setting: remembered while the file keeps its stamp).
bool rehearsing();
// The rule for the key's value: on for a non-zero number ("1"), off for
// "0", an empty value or anything that is not a number.
bool rehearsal_value_on(const char* value);
// Counts the times the switch was seen turned on; a copy taken in an
// earlier rehearsal is stale once this moves on.
unsigned rehearsal_epoch();

// The export running now, named in the rehearsal lines (set by the guard).
void note_running_export(const char* name);
// One log line "演练: <export> " followed by the texts (null ones skipped).
void log_rehearsal(std::initializer_list<const char*> texts);

// Whether the directory holding `path` exists: what creating `path` needs,
// for a rehearsal that creates nothing.
bool holding_directory_exists(const char* path);

// A bridge's repeat-stopping memory as a rehearsal sees it: for the scope of
// one call the variable holds the rehearsal's own copy (taken from the live
// value when the switch was turned on), and the live value comes back at
// the end. Without the switch nothing changes.
template <class T>
struct RehearsalCopy {
    T value;
    unsigned epoch;
};
template <class T>
class RehearsalScope {
    static_assert(std::is_trivially_copyable<T>::value, "memory copied as bytes");

public:
    RehearsalScope(T& live, RehearsalCopy<T>& copy) : live_(live), copy_(copy), on_(rehearsing()) {
        if (!on_) return;
        if (copy_.epoch != rehearsal_epoch()) {
            std::memcpy(&copy_.value, &live_, sizeof(T));
            copy_.epoch = rehearsal_epoch();
        }
        swap_values();
    }
    ~RehearsalScope() {
        if (on_) swap_values();
    }
    RehearsalScope(const RehearsalScope&) = delete;
    RehearsalScope& operator=(const RehearsalScope&) = delete;

private:
    void swap_values() {
        unsigned char held[sizeof(T)];
        std::memcpy(held, &live_, sizeof(T));
        std::memcpy(&live_, &copy_.value, sizeof(T));
        std::memcpy(&copy_.value, held, sizeof(T));
    }
    T& live_;
    RehearsalCopy<T>& copy_;
    bool on_;
};
