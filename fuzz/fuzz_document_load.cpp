// libFuzzer entry: every input is a document file; a fault of the round trip is a finding.
#include "DocumentLoadTarget.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string fault = corvane::fuzz::runDocumentLoad(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "corvane fuzz: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
