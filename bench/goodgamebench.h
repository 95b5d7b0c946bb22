#pragma once

// kestro-bench goodgame [--frames FILE] [--print]
int runGoodgameBench(int argc, char *argv[]);
