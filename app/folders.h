#pragma once
// The three folders the application reads from and writes to, and opening files in them.
#include "foundation/location.h"
#include "foundation/stream.h"

namespace vemoraVeriglow {

bool get_resource_dir(vemora::DirLocation* out);
bool get_support_dir(vemora::DirLocation* out);
// The user's preference folder, created when missing; the support folder when that fails.
bool get_preference_dir(vemora::DirLocation* out);

bool open_resource_file(vemora::dxStream& stream, const vemora::UniString& name, vemora::dxStream::Permission permission,
                        bool create);
bool open_preference_file(vemora::dxStream& stream, const vemora::UniString& name,
                          vemora::dxStream::Permission permission, bool create);

} // namespace vemoraVeriglow
