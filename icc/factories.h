#pragma once
// Registries from tag signatures to tag classes and from type signatures to type classes. Both
// are built on first use and live until closed; the profile reader closes them after each
// profile.
#include "foundation/factory.h"
#include "icc/tags/tags.h"

namespace vemora {
namespace cms {
namespace vemICC {

using TagCreator = Tag* (*)();
using TypeCreator = ICCType* (*)();
using ICCTagFactory = Factory<Tag, unsigned long, TagCreator>;
using ICCTypeFactory = Factory<ICCType, unsigned long, TypeCreator>;

ICCTagFactory& getICCTagFactory();
ICCTypeFactory& getICCTypeFactory();
void closeICCTagFactory();
void closeICCTypeFactory();

} // namespace vemICC
} // namespace cms
} // namespace vemora
