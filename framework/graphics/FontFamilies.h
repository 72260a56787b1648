#pragma once

#include <QStringList>

namespace fw {

// The platform names a family that several foundries supply once per foundry
// ("Nimbus Sans [urw]", "Nimbus Sans [UKWN]"). Users know it by its plain name, which
// finds the face as well, so each family comes once by that name, in the order of its
// first occurrence.
QStringList PlainFamilies(const QStringList& platformFamilies);

} // namespace fw
