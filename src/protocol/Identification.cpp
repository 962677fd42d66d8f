#include "protocol/Identification.h"

namespace zmx {

std::string identificationCaption(std::string_view reply) { return std::string(reply.substr(0, 9)); }

int identificationVerdict(std::string_view reply) {
    const std::string_view head = reply.substr(0, 9);
    return (head == kIdText2 || head == kIdText4) ? -1 : 0;
}

}  // namespace zmx
