#include "foundation/Exceptions.h"

namespace {

void AppendLine(std::string& text, const std::string& message, const std::string& location) {
    static const char kHead[] = "Message: \"";
    static const char kMiddle[] = "\" generated at: ";
    text.reserve(text.size() + sizeof(kHead) + message.size() + sizeof(kMiddle) + location.size() +
                 1);
    text += kHead;
    text += message;
    text += kMiddle;
    text += location;
    text += '\n';
}

}  // namespace

MirtException::MirtException(const std::string& message, const std::string& location) {
    AppendLine(_text, message, location);
}

MirtException::~MirtException() = default;

void MirtException::BuildText(const std::string& message, const std::string& location) {
    AppendLine(_text, message, location);
}

const char* MirtException::what() const noexcept {
    return _text.c_str();
}

#define TESRA_DEFINE_EXCEPTION(Name)                                    \
    Name::Name(const std::string& message, const std::string& location) \
        : MirtException(message, location) {}                           \
    Name::~Name() = default;

TESRA_DEFINE_EXCEPTION(EmptyValueException)
TESRA_DEFINE_EXCEPTION(NotFoundException)
TESRA_DEFINE_EXCEPTION(AlreadyExistsException)
TESRA_DEFINE_EXCEPTION(EmptyContainerException)
TESRA_DEFINE_EXCEPTION(FileModeException)
TESRA_DEFINE_EXCEPTION(InvalidStateException)
TESRA_DEFINE_EXCEPTION(FileException)
TESRA_DEFINE_EXCEPTION(VersionMismatchException)

#undef TESRA_DEFINE_EXCEPTION

InvalidOptionsException::InvalidOptionsException(const std::string& text)
    : MirtException(std::string(), std::string()) {
    _SetText(text);
}

InvalidOptionsException::~InvalidOptionsException() = default;
