#pragma once

// kestro-bench donationalerts [--frames FILE] [--print [--settings FILE]]
int runDonationAlertsBench(int argc, char *argv[]);
