#pragma once

// kestro-bench overlay [--seconds N] [--rate R]: R chat lines a second (1,000) through the
// presenter and the overlay to one headless Chromium page for N seconds (60).
int runOverlayBench(int argc, char *argv[]);
