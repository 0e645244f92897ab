// The viewer's folder scan: which directory entries are images, and how a
// listing fills the image list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sb::viewer {

// An image is a file whose extension - everything after the first "." of
// its name, in upper case - is exactly GIF, JPG, PNG or BMP. So
// "foto.2007.jpg" is not an image (its extension is "2007.JPG"), "a.Jpg" is,
// "a.jpeg" and "a" are not.
bool isImageName(std::string_view name);

struct ScanResult {
    // Images listed into slots 1..count.
    std::int16_t count = 0;
    // Number of the entry to put on view: the wanted name's place in the list
    // when it is an image, the number of images before it when it is not, 1
    // when it never turns up or when the listing holds no image at all.
    std::int16_t found = 1;
};

// Walks a listing in its own order (no sorting) and stores the names of the
// images in slots[1], slots[2], ... Slot 0 is never written. At most
// slots.size() - 1 images are listed, so every number up to `count` has a
// name. A wanted picture that comes after the list is full takes the last
// slot, and a wanted name that is no picture puts the last slot on view: what
// the user picked is what is on view, under the number it is listed by. Slots above the
// count keep what they held, except that a scan that finds no image empties
// slot 1: the number 1 it leaves on view must not reach the name of an
// earlier folder.
ScanResult scanListing(const std::vector<std::string>& listing, std::string_view wanted,
                       std::vector<std::string>& slots);

}  // namespace sb::viewer
