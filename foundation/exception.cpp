#include "foundation/exception.h"

#include <cstdio>

namespace vemora {

ExceptionDebuggErrorID::ExceptionDebuggErrorID(long id, const std::string& message)
    : message_(message), id_(id)
{
    show_error_id();
}

void ExceptionDebuggErrorID::show_error_id() const
{
    std::printf("Exception error: %s  ID: %d\n", message_.c_str(), static_cast<int>(id_));
    std::fflush(stdout);
}

} // namespace vemora
