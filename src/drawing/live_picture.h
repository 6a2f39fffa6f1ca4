// Live pictures: a picture element whose file or camera address is read anew for every
// export, what an export needs to know to fetch it, and the snapshots it fetched.
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <map>
#include <string>

#include "drawing/geometry.h"
#include "drawing/picture_fit.h"

class CDrawObj;

// How old a live picture may be, in seconds, when the list names no limit.
constexpr int kDefaultLiveMaxAge = 600;

// True for an http:// or https:// address (a camera's), which is fetched, not read as a file.
bool IsWebAddress(const std::string& source);

// One live picture element as an export fetches it; copied under the drawing's lock.
struct LivePictureSource {
    const CDrawObj* element = nullptr;
    // A file path or an http(s) address, user name and password possibly in it.
    std::string source;
    // A certificate file the camera's certificate is checked against; "" for the system's.
    std::string caFile;
    int maxAge = kDefaultLiveMaxAge;
    bool optional = false;
    PictureFit fit = PictureFit::Stretch;
    QSize area;
    Colour background = kNoColour;
};

// The picture of one live element for one export: already placed and resampled, drawn at `at`
// within the element's rectangle. A null picture leaves the element out.
struct LiveSnapshot {
    QImage picture;
    QPoint at;
};

class CLiveSnapshots {
  public:
    // Stores the element's snapshot, replacing an earlier one.
    void Add(const CDrawObj* element, LiveSnapshot snapshot) {
        m_snapshots[element] = std::move(snapshot);
    }
    // The element's snapshot; null when none was fetched for it.
    const LiveSnapshot* Find(const CDrawObj* element) const {
        auto it = m_snapshots.find(element);
        return it == m_snapshots.end() ? nullptr : &it->second;
    }
    bool Empty() const { return m_snapshots.empty(); }

  private:
    std::map<const CDrawObj*, LiveSnapshot> m_snapshots;
};
