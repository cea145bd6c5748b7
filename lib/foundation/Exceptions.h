#ifndef TESRA_FOUNDATION_EXCEPTIONS_H
#define TESRA_FOUNDATION_EXCEPTIONS_H

#include <exception>
#include <string>

// Root of the library's exception family. The text is a stack of lines, one per
// thrower or re-annotating handler, each of the form
//   Message: "<message>" generated at: <Class::Method>\n
// so that what() reads as a short trace from the innermost failure outwards.
// A handler that adds its own line calls BuildText on the caught reference and
// rethrows with `throw;` so the same object travels on.
class MirtException : public std::exception {
public:
    MirtException(const std::string& message, const std::string& location);
    ~MirtException() override;

    MirtException(const MirtException&) = default;
    MirtException& operator=(const MirtException&) = default;

    // Appends one framed line; never removes anything.
    void BuildText(const std::string& message, const std::string& location);

    const char* what() const noexcept override;

protected:
    // Replaces the whole text; only InvalidOptionsException uses it, at construction.
    void _SetText(const std::string& text) { _text = text; }

private:
    std::string _text;
};

class EmptyValueException : public MirtException {
public:
    EmptyValueException(const std::string& message, const std::string& location);
    ~EmptyValueException() override;
};

class NotFoundException : public MirtException {
public:
    NotFoundException(const std::string& message, const std::string& location);
    ~NotFoundException() override;
};

class AlreadyExistsException : public MirtException {
public:
    AlreadyExistsException(const std::string& message, const std::string& location);
    ~AlreadyExistsException() override;
};

class EmptyContainerException : public MirtException {
public:
    EmptyContainerException(const std::string& message, const std::string& location);
    ~EmptyContainerException() override;
};

class FileModeException : public MirtException {
public:
    FileModeException(const std::string& message, const std::string& location);
    ~FileModeException() override;
};

class InvalidStateException : public MirtException {
public:
    InvalidStateException(const std::string& message, const std::string& location);
    ~InvalidStateException() override;
};

class FileException : public MirtException {
public:
    FileException(const std::string& message, const std::string& location);
    ~FileException() override;
};

// Carries a ready-made text: what() returns exactly the given string, unframed.
class InvalidOptionsException : public MirtException {
public:
    explicit InvalidOptionsException(const std::string& text);
    ~InvalidOptionsException() override;
};

class VersionMismatchException : public MirtException {
public:
    VersionMismatchException(const std::string& message, const std::string& location);
    ~VersionMismatchException() override;
};

#endif  // TESRA_FOUNDATION_EXCEPTIONS_H
