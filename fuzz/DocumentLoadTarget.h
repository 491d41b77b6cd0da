#pragma once
// One run of the document-loading fuzz target, shared by the libFuzzer program and the tests
// that replay its corpus.

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane::fuzz {

/// Loads a document from the bytes, saves it, loads the saved file back and saves that again,
/// then asks the calendars of both loads the working-time questions. Answers what went wrong:
/// a saved document that does not load back, two saves that differ, or a working-time answer
/// that contradicts itself; empty when nothing did. Crashes and hangs are the caller's to see.
std::string runDocumentLoad(const std::uint8_t* data, std::size_t size);

} // namespace corvane::fuzz
