#pragma once
// corvane render: a document painted headless into a picture or a PDF.

#include <string>
#include <vector>

namespace corvane::cli {

/// Runs "render DOC OUT [options]"; answers the exit code (0 written, 2 document not loaded
/// or picture not written, 64 bad options). storage is DOC as a storage string.
int render(const std::vector<std::string>& args, const std::string& storage);

extern const char* const RenderUsage;

} // namespace corvane::cli
