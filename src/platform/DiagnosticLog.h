#pragma once
// The diagnostic log: one line per call, to a file and to an observer.

#include <functional>
#include <string>

namespace corvane {

/// Name of the diagnostic log file; empty (the default) logs nothing to disk.
extern std::string LogFile;

/// Appends one line "dd.mm.yyyy hh:nn:ss,zzz PRINT <message>" to LogFile; rewrites the file
/// when reset is true or the file does not exist yet.
void addlog(const std::string& message, bool reset = false);

/// Sees every message given to addlog (with or without a LogFile); the command-line tool
/// and tests use it. Answers the previous observer.
using TLogObserver = std::function<void(const std::string& message)>;
TLogObserver SetLogObserver(TLogObserver observer);

/// Whether addlog reaches anyone (a LogFile or an observer); lets callers skip composing
/// expensive lines that would go nowhere.
bool LogActive();

} // namespace corvane
