#pragma once

#include <QString>
#include <exception>
#include <string>

namespace kv {

// The one error type of the program: it carries the text the user sees.
class Error : public std::exception {
public:
    explicit Error(QString text) : text_(std::move(text)), utf8_(text_.toStdString()) {}
    const QString& text() const noexcept { return text_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString text_;
    std::string utf8_;
};

// "Cannot open file "%s". %s"
Error cannotOpen(const QString& fileName, const QString& reason);
// "Cannot create file "%s". %s"
Error cannotCreate(const QString& fileName, const QString& reason);

// Whole-number conversion as the players type it: optional leading blanks, optional sign,
// decimal digits, 32-bit range. Anything else throws "'%s' is not a valid integer value".
int strToInt(const QString& text);

} // namespace kv
