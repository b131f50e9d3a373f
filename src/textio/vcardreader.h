#pragma once
// Address books in vCard 2.1, 3.0 and 4.0, read card by card from a stream so that a large file full
// of photos is never held whole. Only the name and the birthday of each card are kept.
#include "textio/birthdayrecord.h"

#include <QByteArray>

#include <vector>

class QIODevice;

namespace cw {

class VCardReader {
  public:
    // Reads from the current position of an open device.
    explicit VCardReader(QIODevice& device);
    // The next card; false at the end of the stream. A card without END:VCARD ends where the next
    // card or the stream begins or ends, and reads as having no birthday.
    bool next(ReadEntry& entry);

  private:
    struct Card;
    bool readPhysicalLine();
    bool readLogicalLine();

    QIODevice& device_;
    std::vector<char> chunk_; // one read from the device
    QByteArray line_;         // the physical line last read, without its line end
    bool truncated_ = false;
    bool havePhysical_ = false; // line_ is read but not yet taken
    bool firstLine_ = true;
    QByteArray logical_; // the unfolded line; of a property that is not kept, only its head
    bool logicalTruncated_ = false;
    bool beginSeen_ = false; // the last call stopped at the BEGIN of the next card
};

// Every card of a vCard text, for callers that hold the bytes already.
std::vector<ReadEntry> readVCards(const QByteArray& bytes);

} // namespace cw
