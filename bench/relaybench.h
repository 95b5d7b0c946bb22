#pragma once

// kestro-bench relay [--rounds N]: time to the spoken answer of an 80-character alert text.
int runRelayBench(int argc, char *argv[]);
