#include "Platform/Hid/HidBackend.h"

#include "Platform/Hid/Linux/HidrawBackend.h"

namespace platform::hid {

const char* statusName(Status s)
{
    switch (s) {
    case Status::Success: return "Success";
    case Status::Error: return "Error";
    case Status::Timeout: return "Timeout";
    case Status::NotAttached: return "NotAttached";
    case Status::ExclusiveAccess: return "ExclusiveAccess";
    case Status::NotPermitted: return "NotPermitted";
    case Status::NoDevice: return "NoDevice";
    }
    return "?";
}

namespace {
std::shared_ptr<Backend>& installed()
{
    static std::shared_ptr<Backend> b;
    return b;
}
} // namespace

Backend& backend()
{
    auto& b = installed();
    if (!b)
        b = std::make_shared<HidrawBackend>();
    return *b;
}

void setBackend(std::shared_ptr<Backend> b) { installed() = std::move(b); }

} // namespace platform::hid
