#pragma once
// How the C library's allocator treats the blocks of decoded pictures.
//
// A decoded device picture takes megabytes (2.8 MB at the window's size,
// 11 MB at twice the density) and comes and goes: a mouse panel's picture is
// let go when no view shows it, a keyboard view lets go of its tinted
// pictures when hidden, and the check of a package decodes every picture
// once. The C library maps a large block on its own, which gives its pages
// back when freed, only above a threshold that it raises to the largest such
// block freed so far; after the first picture freed, pictures come from its
// heaps, whose free pages stay with the process.

namespace platform {

// Keeps every block of picture size or more mapped on its own, so that a
// picture let go gives its memory back; smaller blocks come from the heaps
// as before. Made once at the start of the program, before other threads
// run. False when the C library refused the setting (which is logged) or
// has none (a C library other than glibc's).
bool mapPictureBlocksAlone();

} // namespace platform
