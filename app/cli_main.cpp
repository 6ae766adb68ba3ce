// quarn-cli: Quarn without a window. `profile` is one press of Process Files; `movecopy` and
// `headwords` are the OK actions of the two list dialogs.
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "CliHost.h"
#include "lists/HeadwordList.h"
#include "lists/MoveCopy.h"
#include "lists/StopList.h"
#include "report/ResultsName.h"
#include "run/Choices.h"
#include "run/FileList.h"
#include "run/ProcessRun.h"
#include "state/Engine.h"
#include "state/Messages.h"
#include "text/CharClassTable.h"

namespace {

using quarn::CliHost;
using quarn::Engine;

constexpr int kReportWritten = 0;
constexpr int kStoppedAtCheck = 1;
constexpr int kBadUsage = 2;
constexpr int kIoFailure = 3;

const char kUsage[] =
    "usage:\n"
    "  quarn-cli --help | -h       this text\n"
    "  quarn-cli --version | -V    the program's version\n"
    "  quarn-cli profile [options] FILE...\n"
    "    --folder DIR       folder of the baseword files and quarn.txt (default: current)\n"
    "    --encoding auto|cp1252|utf8   how text files are read (default auto)\n"
    "    --results NAME     results file, named as File > Save names it\n"
    "    --lists N          number of baseword files (default 3)\n"
    "    --off K            untick Basewrd K On (K = 1..3; repeatable)\n"
    "    --no-forms --no-numbers --no-others\n"
    "    --sort alpha|freq|range|none   (default alpha)\n"
    "    --batch --ignore-angle --update --zero --mark --overwrite\n"
    "    --stop FILE        use the stop list in FILE\n"
    "    --files-from LIST  also the input files named in LIST, one per line, at this place\n"
    "                       (a regular file of at most 256 MB, lines of at most 64 KB)\n"
    "    --export DIR       also write the results as data files into DIR (batch: DIR/TEXT/)\n"
    "    --export-format F  comma list of csv, tsv, json, xlsx (default csv)\n"
    "    --export-counts    also the table type_counts (word, file, freq) beyond 64 texts\n"
    "    --answer ok|cancel how message boxes are answered off a terminal (default cancel)\n"
    "  quarn-cli movecopy [--folder DIR] [--encoding E] [--from NAME] [--to NAME]\n"
    "                     [--greater|--equal|--less] [--value TEXT] [--copy]\n"
    "                     [--headwords-only] [--family-totals] [--no-append]\n"
    "  quarn-cli headwords [--folder DIR] [--encoding E] [--from NAME] [--to NAME]\n"
    "exit status: 0 done, 1 stopped at a check or cancelled (Ctrl-C, SIGTERM), 2 bad usage,\n"
    "  3 input/output failure\n"
    "  profile: a --stop FILE that cannot be read still lets the run go on, then exits 1 when\n"
    "  FILE does not exist or is not a regular file, 3 when reading it fails\n"
    "  a folder another Quarn run is writing in is waited for a few seconds, then: exit 1\n";

// The run's cancel request, for the signal handler; null outside a run.
std::atomic<std::atomic<bool>*> g_cancelRequest{nullptr};

extern "C" void RequestCancel(int) {
  std::atomic<bool>* request = g_cancelRequest.load();
  if (request != nullptr) request->store(true);
}

// Ctrl-C (SIGINT) and SIGTERM cancel the run as the window's Cancel does: it ends at its next
// progress point with "Run cancelled", leaving every file as it was. A second one ends the
// program at once.
struct CancelOnSignals {
  explicit CancelOnSignals(Engine& e) {
    g_cancelRequest.store(&e.cancelRequested);
    struct sigaction action {};
    action.sa_handler = RequestCancel;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;  // no SA_RESTART: a question waiting on the terminal ends
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);
  }
  ~CancelOnSignals() {
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    g_cancelRequest.store(nullptr);
  }
  struct sigaction oldInt {};
  struct sigaction oldTerm {};
};

// The exit status of `profile` for how its run ended. A run that wrote no report was stopped
// (or refused) at a check; stopListStatus is the least status a stop list asked for and not
// read leaves.
int ProfileExitStatus(const quarn::RunOutcome& outcome, int stopListStatus) {
  switch (outcome.end) {
    case quarn::RunEnd::kCancelled:
      return kStoppedAtCheck;
    case quarn::RunEnd::kFailed:
      return kIoFailure;
    case quarn::RunEnd::kStopped:
    case quarn::RunEnd::kFinished:
      break;
  }
  if (outcome.reportsWritten == 0) return std::max(kStoppedAtCheck, stopListStatus);
  return stopListStatus;
}

int Usage(const std::string& problem) {
  if (!problem.empty()) std::cerr << "quarn-cli: " << problem << "\n";
  std::cerr << kUsage;
  return kBadUsage;
}

// The --encoding option, taken by every command.
bool ParseEncoding(const std::string& text, quarn::TextEncoding* encoding) {
  if (text == "auto") *encoding = quarn::TextEncoding::kAuto;
  else if (text == "cp1252") *encoding = quarn::TextEncoding::kCp1252;
  else if (text == "utf8") *encoding = quarn::TextEncoding::kUtf8;
  else return false;
  return true;
}

// Reads the next argument as the value of option `name`.
bool TakeValue(const std::vector<std::string>& args, size_t& i, std::string* value) {
  if (i + 1 >= args.size()) return false;
  *value = args[++i];
  return true;
}

int Profile(const std::vector<std::string>& args) {
  CliHost host;
  Engine engine(host);
  quarn::RunRequest request;
  std::string folder, results, stopFile;
  std::vector<std::string> files;
  bool zero = false;
  std::string exportFormats = "csv";
  bool formatsGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    quarn::RunOptions& o = request.options;
    if (a == "--folder") {
      if (!TakeValue(args, i, &folder)) return Usage("--folder needs a folder");
    } else if (a == "--encoding") {
      if (!TakeValue(args, i, &v) || !ParseEncoding(v, &engine.encoding))
        return Usage("--encoding takes auto, cp1252 or utf8");
    } else if (a == "--results") {
      if (!TakeValue(args, i, &results)) return Usage("--results needs a name");
    } else if (a == "--lists") {
      if (!TakeValue(args, i, &v)) return Usage("--lists needs a number");
      int32_t count = 0;
      if (quarn::ReadListCount(v, &count) != quarn::ListCountText::kValid || count < 0 ||
          count > 99)  // the window's field holds two characters
        return Usage(quarn::InvalidListCountText(v));
      engine.ListCount = count;
    } else if (a == "--off") {
      if (!TakeValue(args, i, &v) || (v != "1" && v != "2" && v != "3"))
        return Usage("--off takes 1, 2 or 3");
      (v == "1" ? o.Basewrd1_on : v == "2" ? o.Basewrd2_on : o.Basewrd3_on) = false;
    } else if (a == "--no-forms") {
      o.Forms = false;
    } else if (a == "--no-numbers") {
      o.Writenumbers = false;
    } else if (a == "--no-others") {
      o.others = false;
    } else if (a == "--sort") {
      if (!TakeValue(args, i, &v)) return Usage("--sort needs alpha, freq, range or none");
      o.sortbyalpha = v == "alpha";
      o.sortbyfreq = v == "freq";
      o.sortbyrange = v == "range";
      if (v != "alpha" && v != "freq" && v != "range" && v != "none")
        return Usage("--sort takes alpha, freq, range or none");
    } else if (a == "--batch") {
      o.BatchFiles = true;
    } else if (a == "--ignore-angle") {
      o.Ignore_Angle = true;
    } else if (a == "--files-from") {
      if (!TakeValue(args, i, &v)) return Usage("--files-from needs a file");
      const quarn::Status read = quarn::ReadFileList(engine.fs, v, &files);
      if (!read.ok()) return Usage("--files-from " + read.ToString());
    } else if (a == "--stop") {
      if (!TakeValue(args, i, &stopFile)) return Usage("--stop needs a file");
    } else if (a == "--export") {
      if (!TakeValue(args, i, &engine.exports.folder) || engine.exports.folder.empty())
        return Usage("--export needs a folder");
    } else if (a == "--export-counts") {
      engine.exports.counts = true;
    } else if (a == "--export-format") {
      if (!TakeValue(args, i, &exportFormats)) return Usage("--export-format needs a list");
      formatsGiven = true;
    } else if (a == "--update") {
      o.Udate_Basewords = true;
    } else if (a == "--zero") {
      zero = true;
    } else if (a == "--mark") {
      o.Mark_Texts = true;
    } else if (a == "--overwrite") {
      o.Overwrite = true;
    } else if (a == "--answer") {
      if (!TakeValue(args, i, &v) || (v != "ok" && v != "cancel"))
        return Usage("--answer takes ok or cancel");
      host.answerOk = v == "ok";
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      return Usage("unknown option " + a);
    } else {
      files.push_back(a);
    }
  }
  std::string badFormat;
  if (!quarn::ParseExportFormats(exportFormats, &engine.exports, &badFormat))
    return Usage("--export-format takes csv, tsv, json and xlsx, not \"" + badFormat + "\"");
  if (formatsGiven && engine.exports.folder.empty())
    return Usage("--export-format needs --export DIR");
  if (zero && !request.options.Udate_Basewords)
    return Usage("--zero needs --update (Zero BaseWords is only available with Update BaseWords)");
  request.options.Zero_base = zero;
  quarn::SetProgramFolder(engine, folder);
  request.inputLines = files;

  if (!results.empty()) quarn::ChooseResultsFile(engine, results);  // as File > Save does
  // A stop list asked for and not read makes the exit status at least this; the run goes on.
  int stopListStatus = kReportWritten;
  if (!stopFile.empty()) {  // as ticking Use Stop List and choosing the file
    request.options.UseStopList = true;
    switch (quarn::ChooseStopList(engine, stopFile)) {
      case quarn::StopListChoice::kLoaded:
        break;
      case quarn::StopListChoice::kReadFailed:
        stopListStatus = kIoFailure;
        break;
      case quarn::StopListChoice::kDeclined:
      case quarn::StopListChoice::kMissing:
      case quarn::StopListChoice::kNotRegular:
        stopListStatus = kStoppedAtCheck;
        break;
    }
  }

  quarn::RunOutcome outcome;
  {
    CancelOnSignals cancelOnSignals(engine);
    request.resultsFileName = engine.ResultsFileName;
    request.listCount = engine.ListCount;
    outcome = quarn::ProcessFiles(engine, request);
  }
  host.FlushProgress(engine.progress);
  const int status = ProfileExitStatus(outcome, stopListStatus);
  if (outcome.end != quarn::RunEnd::kCancelled && outcome.end != quarn::RunEnd::kFailed &&
      outcome.reportsWritten != 0 && !engine.ResultsFileName.empty())
    std::cout << "Results file: " << engine.ResultsFileName << "\n";
  return status;
}

int MoveCopy(const std::vector<std::string>& args, bool headwordsDialog) {
  CliHost host;
  Engine engine(host);
  std::string folder;
  quarn::MoveCopySettings mc;
  quarn::HeadwordListSettings hw;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    if (a == "--folder") {
      if (!TakeValue(args, i, &folder)) return Usage("--folder needs a folder");
    } else if (a == "--encoding") {
      if (!TakeValue(args, i, &v) || !ParseEncoding(v, &engine.encoding))
        return Usage("--encoding takes auto, cp1252 or utf8");
    } else if (a == "--from") {
      if (!TakeValue(args, i, &v)) return Usage("--from needs a name");
      mc.FileCopyFrom = hw.FileCopyFrom = v;
    } else if (a == "--to") {
      if (!TakeValue(args, i, &v)) return Usage("--to needs a name");
      mc.FileCopyTo = hw.FileCopyTo = v;
    } else if (!headwordsDialog && a == "--greater") {
      mc.relation = quarn::MoveCopySettings::Relation::kGreaterThan;
    } else if (!headwordsDialog && a == "--equal") {
      mc.relation = quarn::MoveCopySettings::Relation::kEqualTo;
    } else if (!headwordsDialog && a == "--less") {
      mc.relation = quarn::MoveCopySettings::Relation::kLessThan;
    } else if (!headwordsDialog && a == "--value") {
      if (!TakeValue(args, i, &mc.FilterNum)) return Usage("--value needs a text");
    } else if (!headwordsDialog && a == "--copy") {
      mc.Copy_Words = true;
    } else if (!headwordsDialog && a == "--headwords-only") {
      mc.headwrds_only = true;
    } else if (!headwordsDialog && a == "--family-totals") {
      mc.usefamilytotal = true;
    } else if (!headwordsDialog && a == "--no-append") {
      mc.appendtofile = false;
    } else {
      return Usage("unknown argument " + a);
    }
  }
  quarn::SetProgramFolder(engine, folder);
  bool ok = headwordsDialog ? quarn::MakeHeadwordList(engine, hw)
                            : quarn::MoveCopyBasewords(engine, mc);
  host.FlushProgress(engine.progress);
  if (engine.failed()) return kIoFailure;
  return ok ? kReportWritten : kStoppedAtCheck;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("");
  std::string command = args.front();
  args.erase(args.begin());
  if (command == "profile") return Profile(args);
  if (command == "movecopy") return MoveCopy(args, false);
  if (command == "headwords") return MoveCopy(args, true);
  if (command == "--help" || command == "-h") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "--version" || command == "-V") {
    std::cout << "quarn-cli " QUARN_VERSION "\n";
    return 0;
  }
  return Usage("unknown command " + command);
}
