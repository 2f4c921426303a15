#pragma once
// Copies one file to another in chunks on the GUI thread, handing control to
// the message loop after every chunk so that the window stays responsive and
// a timer can paint the progress from PercentREady.
//
// While it yields, the copier holds no handle on either file: the watch tick
// may probe the source meanwhile and must not see our own handle as "Open".
// Each chunk is read by opening the source again at the next offset.
//
// Copy may be re-entered from inside the yield (a watch tick making another
// copy); the inner copy runs to completion with its own files and buffers,
// and both write the same four stored values.

#include <cstdint>
#include <functional>
#include <string>

class FileCopyClass {
public:
    static constexpr std::int32_t kDefaultChunkSize = 32000;

    // Chunk size in bytes; 0 means kDefaultChunkSize.
    std::int32_t CacheSize() const { return m_cacheSize; }
    void CacheSize(std::int32_t value) { m_cacheSize = value; }

    // Percentage of the source written to the destination, as last computed
    // (only copies of at least one chunk compute it).
    std::int16_t PercentREady() const { return m_percentReady; }
    void PercentREady(std::int16_t value) { m_percentReady = value; }

    // Set true when a copy completes, false when its source is missing; a
    // copy that fails otherwise leaves it as it was.
    bool Sucessfull() const { return m_successful; }
    void Sucessfull(bool value) { m_successful = value; }

    // Whole seconds the last completed copy took.
    std::int32_t SecondsTaken() const { return m_secondsTaken; }
    void SecondsTaken(std::int32_t value) { m_secondsTaken = value; }

    // Copies the bytes of SourceFile into a new file Destination, replacing a
    // file of that name. Never throws and reports nothing: the outcome is in
    // Sucessfull. A copy that fails after creating Destination removes it again.
    void Copy(const std::string& SourceFile, const std::string& Destination);

    // What runs after every chunk: the front end's pass over pending messages.
    // Does nothing until one is set.
    void setYield(std::function<void()> yield) { m_yield = std::move(yield); }

private:
    std::int32_t m_cacheSize = 0;
    std::int16_t m_percentReady = 0;
    bool m_successful = false;
    std::int32_t m_secondsTaken = 0;
    std::function<void()> m_yield;
};
