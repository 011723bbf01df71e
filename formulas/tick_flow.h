// The tick-flow sum behind FB: each trade's volume signed by whether it was
// bought at the ask (+) or sold at the bid (-), counted once per tick across
// calls in the security's slot of the tick-flow table.
#pragma once

// The day's band around a reference price, in cents: upper = r * 1.1 and
// lower = r * 0.9, each rounded half up to a cent in double precision (the
// division by 100 in single). The reference is taken as positive.
struct TickBand {
    float upper;  // trades at or above it count 0
    float lower;  // trades below it count 0
};
TickBand tick_band(float reference);

struct Tick {
    float price, volume, amount;
    float bid, ask;  // quoted with the tick before; the reference for the first
    float hint;      // parameter 1 at the tick: its sign decides a trade between bid and ask
};

// The tick's signed volume: 0 outside the band or below the minimum amount;
// +volume from ask - 0.35 * spread up, -volume up to bid + 0.35 * spread,
// else the sign of the hint (0 counts as selling).
float signed_tick_volume(const Tick& t, const TickBand& band, float min_amount);
