#pragma once
// Address books in vCard 2.1, 3.0 and 4.0, read card by card from a stream so that a large file full
// of photos is never held whole. Only the name, the birthday, the anniversary, the date of death and
// the UID of each card are kept.
#include "core/birthdayrecord.h"
#include "formats/textfile.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QIODevice;

namespace cw {

class VCardReader {
  public:
    // Reads from the current position of an open device.
    explicit VCardReader(QIODevice& device);
    // The next card, entry its birthday; false at the end of the stream. A card without END:VCARD ends
    // where the next card or the stream begins or ends, and reads as having no birthday. A card inside
    // a card (a 2.1 AGENT) is passed over.
    bool next(ReadEntry& entry);
    // Every entry of the card next() read last: its birthday, then its anniversary when it has one (an
    // empty entry for a day that cannot be read); a card with neither has one empty entry.
    const std::vector<ReadEntry>& entries() const { return entries_; }
    // The UID of the card next() read last, empty when it had none or did not end.
    const QString& uid() const { return uid_; }
    // Whether the card next() read last is damaged: it did not end, a kept line was too long, or its
    // birthday is a date that does not exist. Such a card reads as having no birthday.
    bool damaged() const { return damaged_; }

  private:
    struct Card;
    bool readPhysicalLine();
    bool readLogicalLine();

    ByteLineReader lines_;
    QByteArray line_; // the physical line last read, without its line end
    bool truncated_ = false;
    bool havePhysical_ = false; // line_ is read but not yet taken
    QByteArray logical_;        // the unfolded line; of a property that is not kept, only its head
    bool logicalTruncated_ = false;
    bool valueBlank_ = false; // of a property that is not kept: whether its value was blank
    bool beginSeen_ = false;  // the last call stopped at the BEGIN of the next card
    QString uid_;
    std::vector<ReadEntry> entries_;
    bool damaged_ = false;
};

// Every card of a vCard text, for callers that hold the bytes already.
std::vector<ReadEntry> readVCards(const QByteArray& bytes);

} // namespace cw
