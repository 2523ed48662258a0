// The notification icon's tip rule.
#include "app/icontip.h"

#include "TOOLS/tooltext.h"

std::string BuildIconTip(const char* text) {
    std::string tip;
    for (const char* p = text; *p != '\0' && tip.size() < kIconTipBytes; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (!tooltext::IsControlByte(c)) tip += *p;
    }
    if (tip.size() == kIconTipBytes) {
        size_t cut = kIconTipBytes - 1;
        if (tooltext::KindOfByteAt(tip.c_str(), cut - 1) == tooltext::ByteKind::Lead) --cut;
        tip.resize(cut);
    }
    return tip;
}
