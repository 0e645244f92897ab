#include "qt/picture_cache.h"

#include <sys/stat.h>

#include <QFile>
#include <QImageReader>

#include <algorithm>

namespace sbqt {

PictureCache::PictureCache(qint64 maxBytes) : maxBytes_(maxBytes), worker_([this] { work(); }) {}

PictureCache::~PictureCache() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    worker_.join();
}

QSize PictureCache::fitted(QSize natural, QSize room) {
    if (!room.isValid() || room.isEmpty()) return natural;
    if (natural.width() <= room.width() && natural.height() <= room.height()) return natural;
    return natural.scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

bool PictureCache::decodable(const QImageReader& reader, QSize stored) {
    // A header may claim any size (100000 x 100000 takes 40 GB): what could
    // not be decoded within the reader's allocation limit is refused here,
    // before anything is allocated. JPEG decodes at an eighth of the size
    // in each direction when asked for a smaller picture.
    const qint64 pixels = qint64(stored.width()) * stored.height();
    const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024 / 4;
    const bool scalesWhileDecoding = reader.supportsOption(QImageIOHandler::ScaledSize);
    return pixels <= (scalesWhileDecoding ? limit * 64 : limit);
}

std::optional<PictureCache::Picture> PictureCache::decode(const QString& path, QSize room) {
    QImageReader reader(path);
    // Photos from cameras and phones say which way up they were taken.
    reader.setAutoTransform(true);
    if (!reader.canRead()) return std::nullopt;
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty() || !decodable(reader, stored)) return std::nullopt;
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const QSize upright = turned ? stored.transposed() : stored;
    // Scaled while decoding: a JPEG then decodes only what is shown, and a
    // picture too large for a full decode still loads. The scaled size is
    // the picture's as stored, before it is turned.
    const QSize size = fitted(upright, room);
    if (size != upright) reader.setScaledSize(turned ? size.transposed() : size);
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    return Picture{upright, std::move(image)};
}

std::optional<PictureCache::Stamp> PictureCache::stampOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return Stamp{static_cast<qint64>(info.st_size),
                 static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                 static_cast<quint64>(info.st_ino)};
}

// Whether a decode for room `a` gives at least what room `b` needs.
bool PictureCache::covers(QSize a, QSize b) {
    if (!a.isValid() || a.isEmpty()) return true;  // the natural size
    if (!b.isValid() || b.isEmpty()) return false;
    return a.width() >= b.width() && a.height() >= b.height();
}

bool PictureCache::largeEnough(const Picture& picture, QSize room) {
    const QSize needed = fitted(picture.natural, room);
    return picture.image.width() >= needed.width() && picture.image.height() >= needed.height();
}

// An entry decoded from this version of its file, large enough for `room`.
bool PictureCache::fresh(const Entry* entry, const Stamp& stamp, QSize room) {
    return entry && entry->stamp == stamp && largeEnough(entry->picture, room);
}

PictureCache::Entry* PictureCache::find(const QString& path) {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.path == path; });
    return it == entries_.end() ? nullptr : &*it;
}

const PictureCache::Entry* PictureCache::find(const QString& path) const {
    return const_cast<PictureCache*>(this)->find(path);
}

void PictureCache::erase(const QString& path) {
    std::erase_if(entries_, [&](const Entry& e) { return e.path == path; });
}

void PictureCache::keep(const QString& path, const Stamp& stamp, Picture picture) {
    erase(path);
    entries_.push_back(Entry{path, stamp, std::move(picture), ++clock_, clock_});
    // The pictures used longest ago go first; the one just kept stays even
    // when it alone is larger than the bound.
    qint64 total = bytes();
    while (total > maxBytes_ && entries_.size() > 1) {
        const auto oldest = std::min_element(entries_.begin(), entries_.end() - 1,
                                             [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        total -= oldest->picture.image.sizeInBytes();
        entries_.erase(oldest);
    }
}

std::optional<PictureCache::Picture> PictureCache::load(const QString& path, QSize room) {
    const std::optional<Stamp> stamp = stampOf(path);
    std::unique_lock lock(mutex_);
    if (!stamp) {
        erase(path);
        return std::nullopt;
    }
    for (;;) {
        if (Entry* entry = find(path); fresh(entry, *stamp, room)) {
            entry->lastUse = ++clock_;
            return entry->picture;
        }
        // The worker is decoding this very file for as much room: wait for
        // it rather than decode it twice.
        if (!decoding_ || decoding_->path != path || !(decodingStamp_ == *stamp) || !covers(decoding_->room, room))
            break;
        changed_.wait(lock);
    }
    std::erase_if(queue_, [&](const Job& job) { return job.path == path; });
    ++decodes_;
    lock.unlock();
    std::optional<Picture> picture = decode(path, room);
    lock.lock();
    if (!picture) {
        erase(path);
        return std::nullopt;
    }
    keep(path, *stamp, *picture);
    return picture;
}

std::optional<PictureCache::Picture> PictureCache::kept(const QString& path, QSize room) {
    const std::lock_guard lock(mutex_);
    Entry* entry = find(path);
    if (!entry || !largeEnough(entry->picture, room)) return std::nullopt;
    entry->lastUse = ++clock_;
    return entry->picture;
}

std::uint64_t PictureCache::generation(const QString& path) const {
    const std::lock_guard lock(mutex_);
    const Entry* entry = find(path);
    return entry ? entry->generation : 0;
}

void PictureCache::preload(const QStringList& paths, QSize room) {
    {
        const std::lock_guard lock(mutex_);
        queue_.clear();
        for (const QString& path : paths) queue_.push_back(Job{path, room});
    }
    changed_.notify_all();
}

void PictureCache::waitForPreloads() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && !decoding_; });
}

qint64 PictureCache::bytes() const {
    qint64 total = 0;
    for (const Entry& e : entries_) total += e.picture.image.sizeInBytes();
    return total;
}

int PictureCache::decodes() const {
    const std::lock_guard lock(mutex_);
    return decodes_;
}

void PictureCache::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        // Under way from here, so that nobody takes the worker for idle.
        decoding_ = std::move(queue_.front());
        decodingStamp_ = Stamp{};
        queue_.pop_front();
        const Job job = *decoding_;
        lock.unlock();
        const std::optional<Stamp> stamp = stampOf(job.path);
        lock.lock();
        const Entry* entry = find(job.path);
        const bool needed = stamp && !fresh(entry, *stamp, job.room);
        std::optional<Picture> picture;
        const std::uint64_t started = clock_;
        if (needed) {
            decodingStamp_ = *stamp;
            ++decodes_;
            lock.unlock();
            picture = decode(job.path, job.room);
            lock.lock();
        }
        // Kept unless the file was decoded meanwhile on the program's own
        // behalf (a newer version of it, perhaps).
        entry = find(job.path);
        if (picture && !(entry && entry->generation > started)) keep(job.path, *stamp, std::move(*picture));
        decoding_.reset();
        changed_.notify_all();
    }
}

}  // namespace sbqt
