#include "app/search/PageReader.h"

#include "app/search/PageText.h"
#include "engine/base/Cp1252.h"
#include "engine/lexer/Lexer.h"

#include <algorithm>

namespace {

// Two workers keep the writer busy; a machine with one core gets one.
unsigned WorkerCount()
{
    return std::clamp(std::thread::hardware_concurrency(), 1U, 2U);
}

} // namespace

TPageReader::TPageReader(const std::vector<const TFoundPage*>& pages) : pages_(pages), slots_(pages.size())
{
    // An update that finds nothing to read starts no thread.
    const std::size_t workers = std::min<std::size_t>(WorkerCount(), pages.size());
    for (std::size_t i = 0; i < workers; ++i)
        workers_.emplace_back([this] { Work(); });
}

TPageReader::~TPageReader()
{
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

std::optional<TReadPage> TPageReader::Take(std::size_t index)
{
    std::unique_lock lock(mutex_);
    taken_ = index + 1;
    changed_.notify_all();
    changed_.wait(lock, [&] { return slots_[index].State != TState::Waiting; });
    if (slots_[index].State == TState::Large)
        return std::nullopt;
    bytesAhead_ -= pages_[index]->Size;
    changed_.notify_all();
    return std::move(slots_[index].Page);
}

bool TPageReader::MayReadNext() const
{
    const std::int64_t size = pages_[next_]->Size;
    return next_ < taken_ + kPagesAhead &&
           (bytesAhead_ == 0 || size > kLargePageBytes || bytesAhead_ + size <= kBytesAhead);
}

void TPageReader::Work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stop_ || next_ >= slots_.size() || MayReadNext(); });
        if (stop_ || next_ >= slots_.size())
            return;
        const std::size_t index = next_++;
        const TFoundPage& page = *pages_[index];
        if (page.Size > kLargePageBytes) {
            slots_[index].State = TState::Large;
        } else {
            bytesAhead_ += page.Size;
            lock.unlock();
            TReadPage read = Read(page.Path);
            lock.lock();
            slots_[index].Page = std::move(read);
            slots_[index].State = TState::Read;
        }
        changed_.notify_all();
    }
}

TReadPage TPageReader::Read(const std::string& path)
{
    TReadPage read;
    try {
        TTextRows rows([&read](TTextRow row) { read.Rows.push_back(std::move(row)); });
        read.Title = ReadPageText(path, [&rows](std::string_view text) { rows.Add(text); });
        rows.Finish();
    } catch (const EFileError& error) {
        read.Failure = Cp1252ToQString(error.what()).toStdString();
    } catch (const std::bad_alloc&) {
        read.Failure = "mémoire insuffisante";
    }
    if (!read.Failure.empty()) {
        read.Title.clear();
        read.Rows.clear();
    }
    return read;
}
