#include "qt/picture_decoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QColorSpace>
#include <QImageReader>
#include <QTransform>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace sbqt {

namespace {

// --- the shared budget ----------------------------------------------------------

struct Budget {
    std::mutex mutex;
    std::condition_variable changed;
    qint64 used = 0;
    qint64 most = 0;
    int background = 0;
};

// Never destroyed: a thread left to finish a thumbnail after a cancel may
// still give its share back while the program ends.
Budget& budget() {
    static Budget* const shared = new Budget;
    return *shared;
}

// A share of the budget, given back when it goes.
class Lease {
public:
    explicit Lease(qint64 bytes) : bytes_(bytes) {}
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ~Lease() {
        if (!taken_) return;
        Budget& b = budget();
        {
            const std::lock_guard lock(b.mutex);
            b.used -= bytes_;
        }
        b.changed.notify_all();
    }
    // Waits until the share fits beside the decodes under way (one decode
    // alone always fits); false when cancelled meanwhile.
    bool take(const std::atomic<bool>* cancelled) {
        Budget& b = budget();
        std::unique_lock lock(b.mutex);
        while (b.used > 0 && b.used + bytes_ > PictureDecoder::kSharedBudget) {
            if (cancelled && *cancelled) return false;
            b.changed.wait_for(lock, std::chrono::milliseconds(50));
        }
        if (cancelled && *cancelled) return false;
        b.used += bytes_;
        b.most = std::max(b.most, b.used);
        taken_ = true;
        return true;
    }

private:
    qint64 bytes_;
    bool taken_ = false;
};

// --- what a decode takes ----------------------------------------------------------

// The frame of a JPEG as its start-of-frame segment describes it.
struct JpegFrame {
    bool found = false;
    bool progressive = false;
    int width = 0, height = 0;
    struct Plane { int h, v; };
    std::vector<Plane> planes;
};

JpegFrame jpegFrame(int fd) {
    unsigned char head[4];
    off_t at = 2;  // after the start-of-image marker
    for (int segments = 0; segments < 4096; ++segments) {
        if (::pread(fd, head, 4, at) != 4 || head[0] != 0xFF) return {};
        const int marker = head[1];
        if (marker == 0xFF) {  // a fill byte before a marker
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // markers without a length
            at += 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return {};  // picture data before any frame
        const int length = head[2] << 8 | head[3];
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            unsigned char body[6 + 3 * 255];
            const int wanted = std::min<int>(length - 2, sizeof body);
            if (wanted < 6 || ::pread(fd, body, wanted, at + 4) != wanted) return {};
            JpegFrame f;
            f.found = true;
            f.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            f.height = body[1] << 8 | body[2];
            f.width = body[3] << 8 | body[4];
            for (int c = 0; c < body[5] && 6 + 3 * c + 2 < wanted; ++c) {
                const int sampling = body[6 + 3 * c + 1];
                f.planes.push_back({std::max(1, sampling >> 4), std::max(1, sampling & 15)});
            }
            return f;
        }
        at += 2 + length;
    }
    return {};
}

// The bit depth a PNG states in its header (8 when it cannot be read).
int pngBitDepth(int fd) {
    unsigned char depth = 8;
    return ::pread(fd, &depth, 1, 24) == 1 ? depth : 8;
}

qint64 area(QSize s) { return qint64(std::max(0, s.width())) * std::max(0, s.height()); }

qint64 ceilDiv(qint64 a, qint64 b) { return (a + b - 1) / b; }

// What decoding a picture stored at `stored` into `decoded` pixels takes,
// beside the finished picture of `result` pixels.
qint64 bytesFor(const QByteArray& format, int fd, QSize stored, QSize decoded, QSize result) {
    constexpr qint64 kWorkingRoom = 1024 * 1024;  // tables, line buffers
    const qint64 finished = area(decoded) * 4 + (result == decoded ? 0 : area(result) * 4);
    if (format == "jpeg" || format == "jpg") {
        // Scaled while decoding by the largest of 1/2, 1/4, 1/8 that still
        // gives at least what was asked for, then scaled the rest of the way.
        int scale = 1;
        while (scale < 8 && stored.width() / (scale * 2) >= decoded.width() &&
               stored.height() / (scale * 2) >= decoded.height())
            scale *= 2;
        qint64 bytes = ceilDiv(stored.width(), scale) * ceilDiv(stored.height(), scale) * 4;
        const JpegFrame frame = jpegFrame(fd);
        if (frame.found && frame.progressive) {
            // Every coefficient of the picture is kept until the last scan.
            int hMax = 1, vMax = 1;
            for (const auto& p : frame.planes) hMax = std::max(hMax, p.h), vMax = std::max(vMax, p.v);
            for (const auto& p : frame.planes)
                bytes += ceilDiv(frame.width, 8 * hMax) * p.h * ceilDiv(frame.height, 8 * vMax) * p.v * 64 * 2;
        }
        return bytes + finished + kWorkingRoom;
    }
    // Decoded whole, then scaled (a picture of few colours is widened to
    // full colour for that); an animation keeps the frame before as well.
    const qint64 perPixel = format == "png" && pngBitDepth(fd) > 8 ? 8 : 4;
    qint64 bytes = area(stored) * perPixel;
    if (decoded != stored) bytes += area(stored) * 4;
    if (format == "gif") bytes *= 2;
    return bytes + finished + kWorkingRoom;
}

void useOurBudgetOnly() {
    // The decoder's own limit would refuse what the budget allows (a
    // 48-megapixel PNG); the budget is the limit now.
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(int(PictureDecoder::kPictureBudget / PictureDecoder::kMiB)); });
}

// A JPEG cut short still decodes (the decoder greys out what is missing),
// but it lacks the end-of-image marker that closes every whole one.
// Leaves the file at its start again.
bool jpegEndsWhole(QFile& file) {
    const qint64 tail = std::min<qint64>(file.size(), 4096);
    return file.seek(file.size() - tail) && file.read(tail).contains("\xFF\xD9") && file.seek(0);
}

// What a reader over an open file says of it, reckoned for a request.
struct Plan {
    QSize stored, upright, decoded;  // decoded: as stored, before it is turned
    bool turned = false;
    qint64 bytes = 0;
};

std::optional<Plan> plan(QImageReader& reader, QFile& file, const PictureDecoder::Request& request) {
    useOurBudgetOnly();
    // Photos from cameras and phones say which way up they were taken.
    reader.setAutoTransform(true);
    if (!reader.canRead()) return std::nullopt;
    Plan p;
    p.stored = reader.size();
    if (!p.stored.isValid() || p.stored.isEmpty()) return std::nullopt;
    p.turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    p.upright = p.turned ? p.stored.transposed() : p.stored;
    const QSize room = request.room;
    QSize size;
    QSize result;
    if (request.fit == PictureDecoder::Fit::Cover) {
        if (room.isEmpty()) return std::nullopt;
        size = p.upright.scaled(room, Qt::KeepAspectRatioByExpanding);
        if (size.width() > p.upright.width()) size = p.upright;  // never enlarged
        const int longest = request.longestSide;
        if (longest > 0 && (size.width() > longest || size.height() > longest))
            size = size.scaled(longest, longest, Qt::KeepAspectRatio);
        size = size.expandedTo(QSize(1, 1));
        result = room;
    } else {
        size = room.isValid() && !room.isEmpty() && (p.upright.width() > room.width() || p.upright.height() > room.height())
                   ? p.upright.scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1))
                   : p.upright;
        result = size;
    }
    p.decoded = p.turned ? size.transposed() : size;
    p.bytes = bytesFor(reader.format(), file.handle(), p.stored, p.decoded, result);
    if (p.bytes > PictureDecoder::kPictureBudget) return std::nullopt;
    return p;
}

}  // namespace

std::unique_ptr<QFile> PictureDecoder::open(const QString& path) {
    if (path.isEmpty()) return nullptr;
    // Without blocking: opening a FIFO for reading would otherwise wait for
    // a writer for good.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    if (const int flags = ::fcntl(fd, F_GETFL); flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    // Named after its path, so that the reader takes the name's suffix as
    // a hint as it does for a file it opens itself.
    auto file = std::make_unique<QFile>(path);
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

std::optional<PictureDecoder::Header> PictureDecoder::inspect(const QString& path, const Request& request) {
    const std::unique_ptr<QFile> file = open(path);
    if (!file) return std::nullopt;
    QImageReader reader(file.get());
    const std::optional<Plan> p = plan(reader, *file, request);
    if (!p) return std::nullopt;
    return Header{p->upright, p->bytes};
}

std::optional<PictureDecoder::Picture> PictureDecoder::decode(const QString& path, const Request& request,
                                                              const std::atomic<bool>* cancelled) {
    const std::unique_ptr<QFile> file = open(path);
    if (!file) return std::nullopt;
    // Looked at before decoding, so that a cut picture costs nothing.
    if (request.whole && file->peek(2) == "\xFF\xD8" && !jpegEndsWhole(*file)) return std::nullopt;
    QImageReader reader(file.get());
    const std::optional<Plan> p = plan(reader, *file, request);
    if (!p) return std::nullopt;
    Lease lease(p->bytes);
    if (!lease.take(cancelled)) return std::nullopt;
    // Scaled while decoding: a JPEG then decodes only what is shown, and a
    // picture too large for a full decode still loads. The scaled size is
    // the picture's as stored, before it is turned.
    if (p->decoded != p->stored) reader.setScaledSize(p->decoded);
    // Turned upright here rather than by the reader: Qt's turn by a quarter
    // drops the colour profile, which the picture keeps.
    const QImageIOHandler::Transformations turn = reader.transformation();
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    if (turn != QImageIOHandler::TransformationNone) {
        const QColorSpace space = image.colorSpace();
        image = std::move(image).mirrored(turn.testFlag(QImageIOHandler::TransformationMirror),
                                          turn.testFlag(QImageIOHandler::TransformationFlip));
        if (turn.testFlag(QImageIOHandler::TransformationRotate90)) image = image.transformed(QTransform().rotate(90));
        image.setColorSpace(space);
    }
    if (request.fit == Fit::Cover) {
        const QSize room = request.room;
        const QSize cut = room.scaled(image.size(), Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        image = image.copy(QRect(QPoint((image.width() - cut.width()) / 2, (image.height() - cut.height()) / 2), cut))
                    .scaled(room, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return Picture{p->upright, std::move(image)};
}

qint64 PictureDecoder::bytesInUse() {
    const std::lock_guard lock(budget().mutex);
    return budget().used;
}

qint64 PictureDecoder::mostBytesInUse() {
    const std::lock_guard lock(budget().mutex);
    return budget().most;
}

void PictureDecoder::enterBackground() {
    const std::lock_guard lock(budget().mutex);
    ++budget().background;
}

void PictureDecoder::leaveBackground() {
    {
        const std::lock_guard lock(budget().mutex);
        --budget().background;
    }
    budget().changed.notify_all();
}

bool PictureDecoder::waitForBackground(std::chrono::milliseconds limit) {
    std::unique_lock lock(budget().mutex);
    return budget().changed.wait_for(lock, limit, [] { return budget().background == 0; });
}

}  // namespace sbqt
