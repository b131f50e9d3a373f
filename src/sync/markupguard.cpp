#include "sync/markupguard.h"

#include <cstring>

namespace cw::addressbook {

namespace {
constexpr const char* commentStart = "--";
constexpr const char* cdataStart = "[CDATA[";

bool startsLike(const char* prefix, const char* seen, int length) {
    return int(std::strlen(prefix)) >= length && std::strncmp(prefix, seen, size_t(length)) == 0;
}
} // namespace

bool MarkupGuard::pass(QByteArrayView bytes) {
    for (qsizetype i = 0; i < bytes.size() && !refused_; ++i)
        step(bytes[i]);
    return !refused_;
}

void MarkupGuard::step(char c) {
    switch (state_) {
    case State::Text:
        if (c == '<')
            state_ = State::Open;
        return;
    case State::Open:
        if (c == '!') {
            state_ = State::Bang;
            bangLength_ = 0;
        } else if (c == '?') {
            state_ = State::Skipped;
            end_ = "?>";
            matched_ = 0;
        } else {
            state_ = State::Tag;
            attributes_ = 0;
            step(c);
        }
        return;
    case State::Bang:
        bang_[bangLength_++] = c;
        if (startsLike(commentStart, bang_, bangLength_) && bangLength_ == int(std::strlen(commentStart)))
            end_ = "-->";
        else if (startsLike(cdataStart, bang_, bangLength_) && bangLength_ == int(std::strlen(cdataStart)))
            end_ = "]]>";
        else if (startsLike(commentStart, bang_, bangLength_) || startsLike(cdataStart, bang_, bangLength_))
            return; // not told apart yet
        else {
            state_ = State::Tag; // a declaration such as a DOCTYPE, which the parser refuses
            attributes_ = 0;
            return;
        }
        state_ = State::Skipped;
        matched_ = 0;
        return;
    case State::Tag:
        if (c == '"' || c == '\'') {
            quote_ = c;
            state_ = State::Quoted;
        } else if (c == '=') {
            refused_ = ++attributes_ > maxAttributes_;
        } else if (c == '>') {
            state_ = State::Text;
        }
        return;
    case State::Quoted:
        if (c == quote_)
            state_ = State::Tag;
        return;
    case State::Skipped:
        if (c == end_[matched_]) {
            if (end_[++matched_] == '\0')
                state_ = State::Text;
        } else if (!(matched_ == 2 && end_[0] == end_[1] && c == end_[0])) { // "]]]" still ends in "]]"
            matched_ = c == end_[0] ? 1 : 0;
        }
        return;
    }
}

} // namespace cw::addressbook
