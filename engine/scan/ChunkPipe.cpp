#include "scan/ChunkPipe.h"

#include "store/WordIds.h"

namespace quarn {

ChunkPipe::ChunkPipe(size_t chunks, SharedWordIds* ids) : ids_(ids) {
  for (size_t i = 0; i < chunks; ++i) {
    chunks_.push_back(std::make_unique<WordChunk>());
    empty_.push_back(chunks_.back().get());
  }
}

WordChunk* ChunkPipe::FirstEmpty() {
  std::lock_guard<std::mutex> lock(mu_);
  WordChunk* c = empty_.back();
  empty_.pop_back();
  return c;
}

WordChunk* ChunkPipe::Hand(WordChunk* filled) {
  std::unique_lock<std::mutex> lock(mu_);
  const bool last = filled->last;
  filled_.push_back(filled);
  filledReady_.notify_one();
  if (last) {
    // The file is cut: what waits to be entered is numbered here meanwhile.
    while (!stopped_ && NumberOneWaiting(lock)) {
    }
    return nullptr;
  }
  while (!stopped_ && empty_.empty()) {
    if (!NumberOneWaiting(lock)) emptyReady_.wait(lock);
  }
  if (stopped_) return nullptr;
  WordChunk* c = empty_.back();
  empty_.pop_back();
  return c;
}

size_t ChunkPipe::Waiting() {
  std::lock_guard<std::mutex> lock(mu_);
  return filled_.size();
}

WordChunk* ChunkPipe::Take() {
  std::unique_lock<std::mutex> lock(mu_);
  filledReady_.wait(lock, [&] { return !filled_.empty() && !filled_.front()->numbering; });
  WordChunk* c = filled_.front();
  filled_.pop_front();
  return c;
}

void ChunkPipe::Give(WordChunk* done) {
  done->Clear();
  std::lock_guard<std::mutex> lock(mu_);
  empty_.push_back(done);
  emptyReady_.notify_one();
}

bool ChunkPipe::NumberOneWaiting(std::unique_lock<std::mutex>& lock) {
  if (ids_ == nullptr) return false;
  for (WordChunk* chunk : filled_) {
    if (chunk->numbered || chunk->numbering) continue;
    chunk->numbering = true;
    lock.unlock();
    {
      std::lock_guard<std::mutex> numbers(ids_->mu);
      ids_->ids->Number(*chunk);
    }
    lock.lock();
    chunk->numbering = false;
    chunk->numbered = true;
    filledReady_.notify_one();
    return true;
  }
  return false;
}

void ChunkPipe::Stop() {
  std::lock_guard<std::mutex> lock(mu_);
  stopped_ = true;
  emptyReady_.notify_all();
}

}  // namespace quarn
