// The one door through which every picture file is read and decoded: the
// picture on view, the pictures decoded ahead, thumbnails and web-sized
// copies alike.
//
// A file is opened without blocking and must be a regular file: a FIFO, a
// device or a socket put where a picture was (by accident or on purpose)
// is refused at once like an unreadable picture, instead of leaving a
// thread waiting in open() for a writer that never comes.
//
// Every decode is reckoned from the file's header before anything is
// allocated, and holds its share of one memory budget shared by all
// threads while it runs: a picture that would need more than
// kPictureBudget is refused, and decodes that together would exceed
// kSharedBudget wait for each other. The reckoning follows what the
// decoders really do: a JPEG decodes scaled down by up to an eighth in each
// direction while it reads, but a progressive JPEG first gathers the
// coefficients of the whole picture (two bytes per pixel of each colour
// plane), and other formats decode at full size before being scaled.
#pragma once

#include <QFile>
#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

namespace sbqt {

class PictureDecoder {
public:
    static constexpr qint64 kMiB = 1024 * 1024;
    // The most one picture may take to decode.
    static constexpr qint64 kPictureBudget = 512 * kMiB;
    // The most all decodes under way may take together.
    static constexpr qint64 kSharedBudget = 1024 * kMiB;

    enum class Fit {
        Within,  // fitted inside the room, proportions kept, never enlarged
        Cover,   // covering the room and cut to it around the middle
    };
    struct Request {
        QSize room;  // empty: the natural size (Within only)
        Fit fit = Fit::Within;
        // Never decoded longer than this on any side before the cut (Cover);
        // 0: no bound.
        int longestSide = 0;
        // Refuse a JPEG that lacks its end (a cut file still decodes, greyed
        // out where it is missing).
        bool whole = false;
    };
    struct Header {
        QSize natural;      // upright
        qint64 bytes = 0;   // what the decode for the request takes at most
    };
    struct Picture {
        QSize natural;  // the upright size of the picture in its file
        QImage image;   // upright, fitted or cut as asked
    };

    // Opens `path` for reading without blocking; only a regular file opens.
    static std::unique_ptr<QFile> open(const QString& path);

    // The picture's upright size and what decoding it for `request` takes,
    // from its header alone; nothing when the file is not a picture that
    // can be decoded within kPictureBudget.
    static std::optional<Header> inspect(const QString& path, const Request& request);

    // Decodes the picture for `request` within the budget: waits while
    // other decodes hold too much of it, gives up when `cancelled` turns
    // true meanwhile. Nothing when the file cannot be read, would not fit
    // the budget or the wait was cancelled. Safe on any thread.
    static std::optional<Picture> decode(const QString& path, const Request& request,
                                         const std::atomic<bool>* cancelled = nullptr);

    // The bytes the decodes under way hold now, and the most they ever held
    // at once.
    static qint64 bytesInUse();
    static qint64 mostBytesInUse();

    // Work on threads nobody waits for (thumbnails left behind by a cancel)
    // counts itself here, so that the program can let it end before it
    // leaves.
    static void enterBackground();
    static void leaveBackground();
    // True when no such work is left; waits at most `limit` for it.
    static bool waitForBackground(std::chrono::milliseconds limit);
};

}  // namespace sbqt
