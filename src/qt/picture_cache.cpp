#include "qt/picture_cache.h"

#include <sys/stat.h>

#include <QFile>

#include <algorithm>

namespace sbqt {

PictureCache::PictureCache(qint64 maxBytes)
    : maxBytes_(maxBytes), preloader_([this] { work(false); }), viewer_([this] { work(true); }) {}

PictureCache::~PictureCache() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
        wanted_.reset();
    }
    changed_.notify_all();
    preloader_.join();
    viewer_.join();
}

QSize PictureCache::fitted(QSize natural, QSize room) {
    if (!room.isValid() || room.isEmpty()) return natural;
    if (natural.width() <= room.width() && natural.height() <= room.height()) return natural;
    return natural.scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
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
        // A worker is decoding this very file for as much room: wait for it
        // rather than decode it twice.
        const bool same = std::any_of(decoding_.begin(), decoding_.end(), [&](const Running& r) {
            return r.job.path == path && r.stamp == *stamp && covers(r.job.room, room);
        });
        if (!same) break;
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
    changed_.wait(lock, [this] { return queue_.empty() && !wanted_ && decoding_.empty(); });
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

bool PictureCache::failed(const QString& path, const Stamp& stamp) const {
    return std::any_of(failures_.begin(), failures_.end(), [&](const Failure& f) { return f.path == path && f.stamp == stamp; });
}

bool PictureCache::underway(const QString& path) const {
    return (wanted_ && wanted_->path == path) ||
           std::any_of(decoding_.begin(), decoding_.end(), [&](const Running& r) { return r.job.path == path; });
}

std::optional<PictureCache::Picture> PictureCache::show(const QString& path, QSize room, std::chrono::milliseconds wait) {
    const std::optional<Stamp> stamp = stampOf(path);
    std::unique_lock lock(mutex_);
    if (!stamp) {
        erase(path);
        return std::nullopt;
    }
    if (Entry* entry = find(path); fresh(entry, *stamp, room)) {
        entry->lastUse = ++clock_;
        return entry->picture;
    }
    if (failed(path, *stamp)) return std::nullopt;
    lock.unlock();
    // The header alone, read without blocking: quick whatever the picture.
    const std::optional<PictureDecoder::Header> header = PictureDecoder::inspect(path, {room});
    lock.lock();
    if (!header) {
        erase(path);
        return std::nullopt;
    }
    const bool covered = std::any_of(decoding_.begin(), decoding_.end(), [&](const Running& r) {
        return r.job.path == path && covers(r.job.room, room);
    });
    if (!covered && !(wanted_ && wanted_->path == path && covers(wanted_->room, room))) {
        // The picture on view before, if not started, is no longer wanted.
        std::erase_if(queue_, [&](const Job& job) { return job.path == path; });
        wanted_ = Job{path, room};
        changed_.notify_all();
        // A small picture is on view at once, and one that cannot be decoded
        // is answered as such.
        changed_.wait_for(lock, wait, [&] { return stopping_ || !underway(path); });
        if (Entry* entry = find(path); fresh(entry, *stamp, room)) {
            entry->lastUse = ++clock_;
            return entry->picture;
        }
        if (failed(path, *stamp)) return std::nullopt;
    }
    return Picture{header->natural, QImage()};
}

void PictureCache::setOnDecoded(std::function<void()> onDecoded) {
    const std::lock_guard lock(mutex_);
    onDecoded_ = std::move(onDecoded);
}

void PictureCache::work(bool onView) {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || (onView ? wanted_.has_value() : !queue_.empty()); });
        if (stopping_) return;
        // Under way from here, so that nobody takes the worker for idle.
        Job job;
        if (onView) {
            job = std::move(*wanted_);
            wanted_.reset();
        } else {
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        const auto running = decoding_.insert(decoding_.end(), Running{job, Stamp{}});
        lock.unlock();
        const std::optional<Stamp> stamp = stampOf(job.path);
        lock.lock();
        const Entry* entry = find(job.path);
        const bool needed = stamp && !fresh(entry, *stamp, job.room) && !failed(job.path, *stamp);
        std::optional<Picture> picture;
        const std::uint64_t started = clock_;
        if (needed) {
            running->stamp = *stamp;
            ++decodes_;
            lock.unlock();
            picture = PictureDecoder::decode(job.path, {job.room});
            lock.lock();
        }
        // Kept unless the file was decoded meanwhile on the program's own
        // behalf (a newer version of it, perhaps).
        entry = find(job.path);
        if (picture && !(entry && entry->generation > started)) keep(job.path, *stamp, std::move(*picture));
        if (needed && !picture) {
            failures_.push_back(Failure{job.path, *stamp});
            if (failures_.size() > 64) failures_.pop_front();
        }
        decoding_.erase(running);
        changed_.notify_all();
        if (needed && onDecoded_) {
            const std::function<void()> tell = onDecoded_;
            lock.unlock();
            tell();
            lock.lock();
        }
    }
}

}  // namespace sbqt
