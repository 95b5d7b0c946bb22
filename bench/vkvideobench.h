#pragma once

// kestro-bench vkvideo: VK Video Live's recorded socket frames, replayed or timed.
int runVkVideoBench(int argc, char *argv[]);
