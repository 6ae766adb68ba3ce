// What the window's controls and the CLI's options both decide before a run: the results file
// chosen with File > Save, the stop list chosen with Use Stop List and the number typed into
// BaseWrdNum. One copy of each rule, so that the two front ends ask the same questions and give
// the same messages.
#pragma once

#include <cstdint>
#include <string>

#include "state/Engine.h"

namespace quarn {

// File > Save: the results name made from chosen (SaveResultsName). When that file exists the
// host asks "File NAME exists. Overwrite?" (OK/Cancel). Returns true iff the name was taken
// into e.ResultsFileName (and shown through the host); on Cancel nothing changes.
bool ChooseResultsFile(Engine& e, const std::string& chosen);

// How ticking Use Stop List with the file at path ended.
enum class StopListChoice {
  kLoaded,       // the list holds the file's entries
  kDeclined,     // the file is missing and the box was closed without OK: no list
  kMissing,      // missing, OK chosen: an empty list, the failure reported
  kNotRegular,   // a folder, pipe or device: an empty list, the failure reported, nothing read
  kReadFailed,   // reading failed part-way: the failure reported
};
// Use Stop List with the file at path: a missing file is first said to be missing ("File PATH
// does not exist", OK only); then the list is made and loaded, and a failure to load it is
// reported as an "ERROR PATH: REASON" line. e.stopList is present unless kDeclined.
StopListChoice ChooseStopList(Engine& e, const std::string& path);

// The BaseWrdNum rule: a text that starts with a digit must be a whole number in the program's
// integer notation. Returns kNotANumber for a text not starting with a digit (left alone),
// kInvalid for one that starts with a digit and is not a number, kValid with *count set.
enum class ListCountText { kNotANumber, kInvalid, kValid };
ListCountText ReadListCount(const std::string& text, int32_t* count);
// The box text for a list count that is not a whole number.
std::string InvalidListCountText(const std::string& text);

}  // namespace quarn
