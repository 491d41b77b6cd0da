#pragma once
// The built-in document: an empty schedule that serves when no file is named.

#include "corvane/framework/media/qvtMedia.h"

namespace corvane {

class TQVTDefaultMedia : public TQVTDummyMedia {
public:
    using TQVTDummyMedia::TQVTDummyMedia;

    /// Both answer found = true in every case; unknown pairs give the default or an empty array.
    bool getStrProperty(std::string_view section, std::string_view key, std::string_view def,
                        std::string& value) override;
    bool getStrArrayProperty(std::string_view section, std::string_view key,
                             std::vector<std::string>& value) override;
};

} // namespace corvane
