#pragma once
// Modal messages go through a replaceable handler: the widgets library shows a message box,
// the command-line tool prints to standard error, tests capture the texts.

#include <functional>
#include <string>

namespace corvane {

using TShowMessageHandler = std::function<void(const std::string& text)>;

void ShowMessage(const std::string& text);

/// Installs a handler and answers the previous one; an empty handler restores the default
/// (standard error).
TShowMessageHandler SetShowMessageHandler(TShowMessageHandler handler);

} // namespace corvane
