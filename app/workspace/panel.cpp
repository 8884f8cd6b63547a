#include "app/workspace/panel.h"

#include "feeinput/text_fields.h"

#include <algorithm>

namespace tessaro::workspace {

int todayNoFromText(std::string_view text) {
    return std::clamp(feeinput::StrToIntDef(text, kTodayNoMin), kTodayNoMin, kTodayNoMax);
}

}  // namespace tessaro::workspace
