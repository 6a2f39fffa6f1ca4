// One image of the image list: its size and output format, the background and the stack of
// elements drawn over it, and its XML form.
#pragma once

#include <QObject>
#include <memory>
#include <mutex>
#include <vector>

#include "drawing/draw_background.h"
#include "drawing/draw_image.h"
#include "drawing/draw_line.h"
#include "drawing/draw_text_data.h"
#include "drawing/draw_text_state.h"
#include "drawing/live_picture.h"

class CProfile;

// The largest image side in pixels; lists, size fields and commands all keep to it.
constexpr int kMaxImageSide = 4096;
// The size of a new image, and of a list entry that names no size.
constexpr int kDefaultImageWidth = 400;
constexpr int kDefaultImageHeight = 400;

class CDrawing {
  public:
    // Holds the background alone, sized width × height; JPEG. view receives repaint requests
    // and change notices and may be null.
    CDrawing(QObject* view, CProfile* profile, int width = kDefaultImageWidth,
             int height = kDefaultImageHeight);
    virtual ~CDrawing() = default;

    // Adds the children of node on top of what is held (a new drawing holds the background);
    // a child of an unknown kind is skipped with a log line.
    virtual bool LoadFromXml(const pugi::xml_node& node);
    // Writes imageformat, width and height on node and one child per element, in order.
    virtual bool SaveToXml(pugi::xml_node& node) const;

    // Each makes an element of its kind, places it near the bottom-left corner and puts it on
    // top of all others.
    CDrawLine* AddLine();
    CDrawTextSimple* AddTextSimple();
    CDrawTextData* AddTextData();
    CDrawTextWeather* AddTextWeather();
    CDrawTextTendency* AddTextTendency();
    CDrawTextStormWarning* AddTextStormWarning();
    CDrawImageSimple* AddImageSimple();
    CDrawImageWeather* AddImageWeather();
    CDrawImageWeatherTendency* AddImageWeatherTendency();
    CDrawImageStormWarning* AddImageStormWarning();

    // Destroys the element; false for the background or an element of another drawing.
    bool RemoveElement(CDrawObj* element);
    // Moves the element to that place of the stack (1 is just above the background, the last
    // place the top); false for the background or an element of another drawing.
    bool MoveElement(CDrawObj* element, int index);
    bool Contains(const CDrawObj* element) const;
    // The topmost element that the point hits; the background when no other does.
    CDrawObj* FindElementAt(int x, int y) const;
    // The topmost element but skip that overlaps rect, and the overlap; else the background.
    CDrawObj* FindOverlapping(const CRect& rect, const CDrawObj* skip, CRect* overlap) const;

    // The smallest size that keeps every element inside: from 60 wide and 50 high, at most
    // kMaxImageSide.
    int GetMinWidth() const;
    int GetMinHeight() const;

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // Store the size and move the background's right or bottom edge along.
    void SetWidth(int width);
    void SetHeight(int height);
    int GetImageFormat() const { return m_imageformat; }
    void SetImageFormat(int format) { m_imageformat = format; }
    CDrawBackground* GetBackground() const { return m_background; }
    QObject* GetView() const { return m_view; }
    // The window that receives repaint requests and change notices; null for none.
    void SetView(QObject* view) { m_view = view; }
    CProfile* GetProfile() const { return m_profile; }
    const std::vector<std::unique_ptr<CDrawObj>>& Elements() const { return m_elements; }

    // Draws every element in order, later ones over earlier ones; a live picture with a
    // snapshot in live is drawn from it. Holds the drawing's lock, so the editor and an export
    // never draw it at the same time.
    void Draw(CCanvas& canvas, int designMode, const CLiveSnapshots* live = nullptr);
    // The live picture elements, in stack order, as they are now.
    std::vector<LivePictureSource> LivePictures() const;

  private:
    template <class T>
    T* Add(const char* tag);
    CDrawObj* Append(std::unique_ptr<CDrawObj> element);

    std::vector<std::unique_ptr<CDrawObj>> m_elements;
    int m_imageformat = 3;
    int m_width = 0;
    int m_height = 0;
    CDrawBackground* m_background = nullptr;
    QObject* m_view = nullptr;
    CProfile* m_profile = nullptr;
    mutable std::mutex m_drawLock;
};
