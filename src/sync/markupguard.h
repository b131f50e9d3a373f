#pragma once
// Looks at XML bytes before the parser does, for the one cost the parser cannot bound by itself: an
// element with a great many attributes, whose start tag it checks in time that grows with the
// square of their number. Attributes are counted by their '=' outside quoted values; comments,
// CDATA sections and processing instructions are passed over. The bytes may come in any pieces.
#include <QByteArrayView>

namespace cw::addressbook {

class MarkupGuard {
  public:
    explicit MarkupGuard(int maxAttributes) : maxAttributes_(maxAttributes) {}
    // False once an element has passed the bound; it stays false.
    bool pass(QByteArrayView bytes);

  private:
    enum class State { Text, Open, Bang, Tag, Quoted, Skipped };
    void step(char c);

    int maxAttributes_;
    State state_ = State::Text;
    int attributes_ = 0;
    char quote_ = 0;
    char bang_[8] = {}; // what follows "<!", until it tells a comment from a CDATA section
    int bangLength_ = 0;
    const char* end_ = nullptr; // what ends the skipped section: "-->", "]]>" or "?>"
    int matched_ = 0;           // how much of end_ the last bytes were
    bool refused_ = false;
};

} // namespace cw::addressbook
