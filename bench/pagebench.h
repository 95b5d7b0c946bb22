#pragma once

// kestro-bench page [--lines N] [--batch K]
int runPageBench(int argc, char *argv[]);
