// bench/synthetic_journals.h: undo journals beside the bench library, as 20 full rewrites
// in a row would leave them, so that the scan's reading of them can be timed.
#pragma once

#include <string>
#include <vector>

// Writes `count` journals in the working folder (the folder that holds Songs), each of
// every song file with charts and every chart's meter, one hour apart. They form a chain:
// each run's new bytes are the next run's old ones, and the newest run's new hash and meter
// texts are those of the files as they are now, so the scan marks every chart. Returns the
// journals' names, or nothing written (and none left) when one cannot be written.
std::vector<std::string> write_synthetic_journals(int count);
