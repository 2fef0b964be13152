#include "res/Strings.h"

#include "res/resource.h"

namespace quorvel {

std::string LoadResourceString(int id) {
    switch (id) {
    case IDS_ABOUTBOX:
        return "Quorvel のﾊﾞｰｼﾞｮﾝ情報(&A)...";
    default:
        return {};
    }
}

} // namespace quorvel
