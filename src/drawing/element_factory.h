// The one factory that makes elements by their XML tag name.
#pragma once

#include "base/factory.h"
#include "base/singleton.h"
#include "drawing/draw_obj.h"

class CElementFactory : public Factory<CDrawObj> {
  public:
    // The factory with the eleven kinds; "Dead Reference Detected" after process exit.
    static CElementFactory& Instance() { return SingletonHolder<CElementFactory>::Instance(); }

  private:
    friend class SingletonHolder<CElementFactory>;
    CElementFactory();
};
