#pragma once

#include <QStringList>

namespace fw {

// The platform names a family that several foundries supply once per foundry
// ("Nimbus Sans [urw]", "Nimbus Sans [UKWN]"). Users know it by its plain name, which
// finds the face as well, so each family comes once by that name, in the order of its
// first occurrence.
QStringList PlainFamilies(const QStringList& platformFamilies);

// The installed families by their plain names: the font list and the typeface
// look-up ask for them often, so they are made once for each state of the font
// database.
const QStringList& InstalledFamilies();

} // namespace fw
