#include "ui/grid_scroll.h"

#include "core/key_map.h"
#include "ui/grid_layout.h"

int32_t ScrollTarget(int32_t request, int32_t thumb, int32_t scrollPos, int32_t keyCount,
                     int32_t pageRows) {
    int32_t p = scrollPos;
    switch (request) {
    case kSbLineUp:
        p = scrollPos - 1;
        break;
    case kSbLineDown:
        p = scrollPos + 1;
        break;
    case kSbPageUp:
        p = scrollPos - pageRows;
        break;
    case kSbPageDown:
        p = scrollPos + pageRows;
        break;
    case kSbThumbPosition:
    case kSbThumbTrack:
        p = thumb;
        break;
    case kSbTop:
        p = 0;
        break;
    case kSbBottom:
        p = keyCount - pageRows + 1;
        break;
    default:
        break;
    }
    return ClampScrollPos(p, keyCount, pageRows);
}

bool ApplyScroll(const ProgramState& s, GridState& g, int32_t request, int32_t thumb) {
    const int32_t old = g.scrollPos;
    g.scrollPos = ScrollTarget(request, thumb, old, KeyCount(s), g.pageRows);
    return g.scrollPos != old;
}
