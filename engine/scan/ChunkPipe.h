// Hands chunks of words from the thread that cuts them to the thread that enters them, in
// their order, through a fixed set of chunks (so memory stays bounded whichever side is slower).
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "scan/WordCutter.h"

namespace quarn {

// With word numbers (ids), the cutting thread does not sit idle while it waits: whenever it
// would wait for an empty chunk, and once it has handed on the last, it numbers the words of
// chunks handed on whose words have no numbers yet, so that the entering thread finds them
// numbered. A chunk being numbered is taken only once it is done.
class ChunkPipe : public WordCutter::Sink {
 public:
  explicit ChunkPipe(size_t chunks, SharedWordIds* ids = nullptr);

  // The cutter's side. FirstEmpty gives the chunk to fill first. Hand passes a filled chunk on
  // and, unless it is the last, waits for an empty one; it gives nullptr once Stop was called.
  WordChunk* FirstEmpty();
  WordChunk* Hand(WordChunk* filled) override;
  size_t Waiting() override;

  // The enterer's side. Take waits for the next filled chunk; Give returns it emptied.
  WordChunk* Take();
  void Give(WordChunk* done);
  // No more chunks are wanted: a cutter waiting in Hand gets nullptr.
  void Stop();

 private:
  // Numbers the first chunk handed on that is neither taken, numbered nor being numbered,
  // unlocking lock meanwhile; false when there is none (or no ids).
  bool NumberOneWaiting(std::unique_lock<std::mutex>& lock);
  SharedWordIds* ids_;
  std::mutex mu_;
  std::condition_variable filledReady_;
  std::condition_variable emptyReady_;
  std::deque<WordChunk*> filled_;
  std::vector<WordChunk*> empty_;
  std::vector<std::unique_ptr<WordChunk>> chunks_;
  bool stopped_ = false;
};

}  // namespace quarn
