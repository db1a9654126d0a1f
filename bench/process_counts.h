// What a process holds, for the agent's benchmarks: its kernel handles and GDI and USER objects, its
// processor time and its private bytes.
#pragma once
#include <windows.h>
#include <string>

namespace bench {

struct ObjectCounts {
    long handles = 0;
    long gdi = 0;
    long user = 0;
    // Where the figures come from: "platform" (the counting calls) or "probed" (Wine answers those
    // with 0, so the handles of this process are looked up one by one).
    std::string source;
};

// This process's kernel handles and GDI and USER objects.
ObjectCounts CountObjects();

// User plus kernel time of a process, in milliseconds. Under Wine, whose process times of another
// process stay what they were at its start, the time of the Linux process whose command line names `exePath`
// (from /proc, through Wine's Z: drive); -1 when neither is known.
double ProcessorMs(HANDLE process, const std::string& exePath);
// How often a process's threads blocked and woke again, under Wine: the voluntary context switches of the
// Linux process whose command line names `exePath` (every wait that ended and every round trip to the
// wineserver); -1 elsewhere or when it is not found.
long WakeUps(const std::string& exePath);
// A process's private bytes (its commit charge).
unsigned long PrivateBytes(HANDLE process);

} // namespace bench
