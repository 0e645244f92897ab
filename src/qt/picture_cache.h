// Pictures decoded at the size they are shown, kept for the next time they
// are asked for; every decode goes through PictureDecoder and its budget. A kept picture is known by its file (path, size, time of
// change, inode): a file changed or replaced on disk since it was decoded is
// decoded again, a file gone is not a picture any more. Pictures can be asked
// for ahead of need: a worker thread decodes them while the program waits for
// the user, so that the next step of the viewer only swaps pictures. The
// picture on view is decoded on a thread of its own (show()), so that the
// window answers whatever it decodes. What is kept is bounded in bytes; the
// pictures used longest ago go first.
#pragma once

#include <QImage>
#include <QImageReader>
#include <QSize>
#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "qt/picture_decoder.h"

namespace sbqt {

class PictureCache {
public:
    // The image is upright, fitted into the room it was decoded for.
    using Picture = PictureDecoder::Picture;

    // Room for a few pictures the size of a large screen.
    static constexpr qint64 kDefaultBytes = 64LL * 1024 * 1024;

    explicit PictureCache(qint64 maxBytes = kDefaultBytes);
    ~PictureCache();
    PictureCache(const PictureCache&) = delete;
    PictureCache& operator=(const PictureCache&) = delete;

    // The picture in `path`, at least as large as `room` allows (fitted,
    // never enlarged; an empty room means the natural size). Taken from what
    // is kept when the file is unchanged, from a decode of it already under
    // way, or decoded now. Nothing when the file is missing or not a
    // readable picture.
    std::optional<Picture> load(const QString& path, QSize room);

    // The picture on view: its natural size from the header at once (nothing
    // when the file is not a picture that can be decoded within the
    // budget), its pixels when they are kept already or decoded within
    // `wait`, a null image otherwise. A decode not kept yet is asked of the
    // picture-on-view thread, in place of the one asked before if that has
    // not started; the callback of setOnDecoded tells when it is done. A
    // file whose decode failed is nothing.
    std::optional<Picture> show(const QString& path, QSize room, std::chrono::milliseconds wait = {});
    // Called on a worker thread whenever a decode ends, kept or failed.
    void setOnDecoded(std::function<void()> onDecoded);

    // What is kept of `path` when large enough for `room`, whatever became
    // of the file since (a holder goes on showing the picture it was given).
    std::optional<Picture> kept(const QString& path, QSize room);

    // Changes each time a new decode of `path` is kept; 0 when none is.
    std::uint64_t generation(const QString& path) const;

    // Decodes these pictures for `room` on the worker thread, in this order,
    // unless they are kept already. Replaces what earlier calls asked for and
    // has not been started yet.
    void preload(const QStringList& paths, QSize room);
    // Waits until the workers have nothing left to do.
    void waitForPreloads();

    qint64 bytes() const;
    qint64 maxBytes() const { return maxBytes_; }
    // How many decodes ran, on any thread.
    int decodes() const;

    // The size a picture of `natural` size takes inside `room`: proportions
    // kept, never enlarged, never below one pixel. An empty room keeps it.
    static QSize fitted(QSize natural, QSize room);
    // One picture decoded upright and fitted into `room`; safe on any thread.
    static std::optional<Picture> decode(const QString& path, QSize room) {
        return PictureDecoder::decode(path, {room});
    }

private:
    // What tells one version of a file from another.
    struct Stamp {
        qint64 size = -1;
        qint64 modifiedNs = -1;
        quint64 inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        QString path;
        Stamp stamp;
        Picture picture;
        std::uint64_t lastUse = 0;
        std::uint64_t generation = 0;
    };
    struct Job {
        QString path;
        QSize room;
    };
    struct Running {
        Job job;
        Stamp stamp;  // of the file being decoded; empty until known
    };
    struct Failure {
        QString path;
        Stamp stamp;
    };

    static std::optional<Stamp> stampOf(const QString& path);
    static bool covers(QSize a, QSize b);
    static bool largeEnough(const Picture& picture, QSize room);
    static bool fresh(const Entry* entry, const Stamp& stamp, QSize room);
    Entry* find(const QString& path);
    const Entry* find(const QString& path) const;
    void erase(const QString& path);
    void keep(const QString& path, const Stamp& stamp, Picture picture);
    bool failed(const QString& path, const Stamp& stamp) const;
    bool underway(const QString& path) const;
    // `onView`: the worker of the picture on view, else the one of preloads.
    void work(bool onView);

    const qint64 maxBytes_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> entries_;
    std::deque<Job> queue_;        // preloads not started
    std::optional<Job> wanted_;    // the picture on view, not started
    std::list<Running> decoding_;  // the workers' jobs under way
    std::deque<Failure> failures_;  // files lately found undecodable
    std::function<void()> onDecoded_;
    std::uint64_t clock_ = 0;
    int decodes_ = 0;
    bool stopping_ = false;
    // Last: started once everything above exists.
    std::thread preloader_;
    std::thread viewer_;
};

}  // namespace sbqt
