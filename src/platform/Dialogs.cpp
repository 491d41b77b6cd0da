#include "corvane/platform/Dialogs.h"

#include <iostream>
#include <utility>

namespace corvane {

namespace {
TShowMessageHandler& handlerSlot()
{
    static TShowMessageHandler handler;
    return handler;
}
} // namespace

void ShowMessage(const std::string& text)
{
    if (const auto& handler = handlerSlot())
        handler(text);
    else
        std::cerr << text << '\n';
}

TShowMessageHandler SetShowMessageHandler(TShowMessageHandler handler)
{
    return std::exchange(handlerSlot(), std::move(handler));
}

} // namespace corvane
