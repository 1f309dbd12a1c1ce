#pragma once
// Object-tracking hooks: windows, panels, controls and decoders register themselves. They record
// and print nothing; the sanitizers of the test build find leaks instead.
#include <string>

namespace vemora {

void debugingPointerServerStart();
void debugingPointerServerEnd();
void debugingPointerServerReport();
void registerDebugingPointer(const void* object, unsigned long size, const std::string& name, bool isArray);
bool unregisterDebugingPointer(const void* object, const std::string& name);

} // namespace vemora
