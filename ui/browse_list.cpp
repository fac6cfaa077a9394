#include "ui/browse_list.hpp"

#include <algorithm>
#include <deque>
#include <vector>

#include "platform/code_page_850.hpp"
#include "platform/console.hpp"
#include "records/record_file.hpp"
#include "ui/browse_cache.hpp"
#include "ui/form_tables.hpp"
#include "ui/forms.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {

std::int16_t RecordFileSource::Find(std::int16_t file, std::int16_t keyNo, const std::string& key) {
    std::int16_t status = 0;
    FindRecord(file, keyNo, key, 1, status);
    return status;
}

std::int16_t RecordFileSource::Step(std::int16_t file) {
    std::int16_t status = 0;
    StepRecord(file, 1, status);
    return status;
}

std::string RecordFileSource::CurrentKey(std::int16_t file) { return vela::CurrentKey(file); }

std::string RecordFileSource::ComparableKey(const std::string& key, std::int16_t file) {
    return vela::ComparableKey(key, file);
}

std::int32_t RecordFileSource::Position(std::int16_t file, std::int32_t position) {
    return RecordPosition(file, position);
}

void RecordFileSource::SetLockMode(std::int16_t file, const std::string& spec) {
    std::int16_t status = 0;
    vela::SetLockMode(file, spec, status);
}

namespace {

BrowseRecordSource*& SourceSeam() {
    static BrowseRecordSource* source = nullptr;
    return source;
}

BrowseRecordSource& Source() {
    static RecordFileSource records;
    return SourceSeam() != nullptr ? *SourceSeam() : records;
}

void Style(const char* letters) {
    std::string spec = letters;
    SetTextStyle(spec);
}

constexpr std::int16_t kF4 = 0x3e00;
constexpr int kHorizontalStep = 8;

// One open list: its cache, the reading of its source and the page shown.
class OpenList {
  public:
    OpenList(std::int16_t list, const BrowseListEntry& spec, std::string prefix,
             std::string startKey)
        : list_(list),
          spec_(spec),
          prefix_(std::move(prefix)),
          startKey_(std::move(startKey)),
          height_(std::max(0, spec.bottom - spec.top - 1)),
          width_(std::max(0, spec.right - spec.left - 1)),
          exhausted_(spec.recordFile == 0) {}

    // Runs the key loop; the result of the list.
    std::int16_t Run(std::int16_t& key);

  private:
    bool Fetch(const CacheEntry* after, CacheEntry& next);
    bool ReadRecord(bool first);
    bool EscWaiting();
    void DrawPage();
    void DrawTitle();
    void PrintRow(int row, const std::string& text);
    void Highlight(bool on);
    std::int16_t NextKey();

    std::int16_t list_;
    BrowseListEntry spec_;
    std::string prefix_;
    std::string startKey_;
    int height_;
    int width_;
    LineCache cache_;
    bool exhausted_;
    bool started_ = false;
    std::string comparablePrefix_;
    std::deque<std::int16_t> typedAhead_;  // a key read while looking for Esc

    std::int32_t pageFirst_ = 1;
    std::vector<CacheEntry> rows_;  // the entries on the page, row 1 first
    bool pageAtEnd_ = false;        // the page shows the last line of an exhausted source
    int highlight_ = 1;
    int horizontal_ = 1;
    int horizontalLimit_ = 0;

    friend void vela::BrowseList(std::int16_t, std::int16_t&);
};

// While the list reads records, Esc in the keyboard buffer stops the
// reading. Another key typed meanwhile is kept for the key loop, and the
// look stops there until the loop has taken it: what was typed after it
// stays in the keyboard buffer for the loop or for whoever reads after the
// list.
bool OpenList::EscWaiting() {
    if (!typedAhead_.empty()) return false;
    std::int16_t key = 0, button = 0, row = 0, column = 0;
    ReadKey(key, button, row, column);
    if (button != 0) key = static_cast<std::int16_t>(column * 256 + button * 64 + row);
    if (key == keys::kEsc) return true;
    if (key != 0) typedAhead_.push_back(key);
    return false;
}

// Reads the next record of the source that gives a line and appends it to
// the cache; false when the source is exhausted.
bool OpenList::ReadRecord(bool first) {
    BrowseRecordSource& source = Source();
    for (;;) {
        if (EscWaiting()) return false;
        const std::int16_t status = first ? source.Find(spec_.recordFile, spec_.keyNo, startKey_)
                                          : source.Step(spec_.recordFile);
        first = false;
        if (status != 0) return false;
        if (comparablePrefix_.empty() && !prefix_.empty()) {
            // The comparable form belongs to the key just read along.
            comparablePrefix_ = source.ComparableKey(prefix_, spec_.recordFile);
        }
        if (source.CurrentKey(spec_.recordFile)
                .compare(0, comparablePrefix_.size(), comparablePrefix_) != 0)
            return false;
        std::string text = Hooks().listRowText(list_);
        text.erase(text.find_last_not_of(' ') + 1);
        if (text.empty()) continue;
        const CacheEntry entry =
            cache_.Append(source.Position(spec_.recordFile, 0), std::move(text));
        return entry.Exists();
    }
}

// The entry after `after` (the first entry when after is nullptr), from the
// cache when it holds one, else read from the source.
bool OpenList::Fetch(const CacheEntry* after, CacheEntry& next) {
    const std::int32_t offset = after == nullptr ? 1 : after->Next();
    if (cache_.Read(offset, next)) return true;
    if (exhausted_) return false;
    // Appending goes after the cache's last entry, which is `after` itself
    // as long as the cache holds only what this list wrote.
    if (offset != cache_.End() || !ReadRecord(!started_)) {
        started_ = true;
        exhausted_ = true;
        return false;
    }
    started_ = true;
    return cache_.Read(offset, next);
}

void OpenList::PrintRow(int row, const std::string& text) {
    std::string visible = static_cast<std::size_t>(horizontal_ - 1) < text.size()
                              ? text.substr(static_cast<std::size_t>(horizontal_ - 1),
                                            static_cast<std::size_t>(width_))
                              : std::string();
    visible.resize(static_cast<std::size_t>(width_), ' ');
    LocateInWindow(static_cast<std::int16_t>(row), 1);
    Screen().Print(visible);
}

void OpenList::DrawTitle() {
    Style("+n");
    std::string line = horizontal_ == 1 ? Cp850("╔") : std::string(1, '\x11');
    std::string title = static_cast<std::size_t>(horizontal_ - 1) < spec_.title.size()
                            ? spec_.title.substr(static_cast<std::size_t>(horizontal_ - 1),
                                                 static_cast<std::size_t>(width_))
                            : std::string();
    line += title;
    const std::string edge = Cp850("═");
    for (int i = static_cast<int>(title.size()); i < width_; ++i) line += edge;
    line += horizontal_ > horizontalLimit_ ? Cp850("╗") : std::string(1, '\x10');
    LocateInWindow(0, 0);
    Screen().Print(line);
    Style("-");
}

// Fills the page from its first entry; the highlight is pulled up to the
// last line when the lines run out, so it always stands on an entry.
void OpenList::DrawPage() {
    rows_.clear();
    CacheEntry entry;
    bool have = cache_.Read(pageFirst_, entry) || (pageFirst_ == 1 && Fetch(nullptr, entry));
    while (have && static_cast<int>(rows_.size()) < height_) {
        rows_.push_back(entry);
        horizontalLimit_ = std::max(horizontalLimit_, static_cast<int>(entry.text.size()) - width_);
        if (static_cast<int>(rows_.size()) == height_) break;
        CacheEntry next;
        have = Fetch(&rows_.back(), next);
        entry = next;
    }
    pageAtEnd_ = static_cast<int>(rows_.size()) < height_;
    for (int row = 1; row <= height_; ++row) {
        PrintRow(row, row <= static_cast<int>(rows_.size())
                          ? rows_[static_cast<std::size_t>(row - 1)].text
                          : "");
    }
    highlight_ = std::clamp(highlight_, 1, std::max<int>(1, static_cast<int>(rows_.size())));
    DrawTitle();
}

void OpenList::Highlight(bool on) {
    if (rows_.empty()) return;
    Style(on ? "u" : "h");
    PrintRow(highlight_, rows_[static_cast<std::size_t>(highlight_ - 1)].text);
}

std::int16_t OpenList::NextKey() {
    if (!typedAhead_.empty()) {
        const std::int16_t key = typedAhead_.front();
        typedAhead_.pop_front();
        return key;
    }
    std::int16_t key = 0;
    WaitKey(key);
    return key;
}

std::int16_t OpenList::Run(std::int16_t& key) {
    DrawPage();
    for (;;) {
        Highlight(true);
        key = NextKey();
        Highlight(false);
        const int shown = static_cast<int>(rows_.size());
        switch (key) {
            case keys::kLeft:
                if (horizontal_ > 1) {
                    horizontal_ -= kHorizontalStep;
                    DrawPage();
                }
                break;
            case keys::kRight:
                if (horizontal_ <= horizontalLimit_) {
                    horizontal_ += kHorizontalStep;
                    DrawPage();
                }
                break;
            case keys::kUp:
                if (shown == 0) break;
                if (highlight_ > 1) {
                    --highlight_;
                } else if (rows_.front().previous != 0) {
                    pageFirst_ = rows_.front().previous;
                    DrawPage();
                }
                break;
            case keys::kDown: {
                if (shown == 0) break;
                if (highlight_ < shown) {
                    ++highlight_;
                    break;
                }
                CacheEntry next;
                if (shown == height_ && Fetch(&rows_.back(), next)) {
                    pageFirst_ = shown > 1 ? rows_[1].offset : next.offset;
                    DrawPage();
                    highlight_ = static_cast<int>(rows_.size());
                }
                break;
            }
            case keys::kPageUp: {
                if (shown == 0 || rows_.front().previous == 0) break;
                // The page start moves back a page, stopping at the first
                // entry; the current entry moves back as far, and a page
                // further when the page start went back a whole page. The
                // highlight goes where the current entry now shows.
                int back = 0;
                CacheEntry entry = rows_.front();
                while (back < height_ && entry.previous != 0 && cache_.Read(entry.previous, entry))
                    ++back;
                const int current =
                    highlight_ - 1;  // index of the current entry from the old start
                const int moved = std::min(height_, current + back);
                pageFirst_ = entry.offset;
                highlight_ = current - moved + back + 1;
                DrawPage();
                break;
            }
            case keys::kPageDown: {
                CacheEntry next;
                if (pageAtEnd_ || shown == 0 || !Fetch(&rows_.back(), next)) break;
                pageFirst_ = next.offset;
                DrawPage();
                break;
            }
            case keys::kEnter: {
                if (shown == 0) return -1;
                const CacheEntry& chosen = rows_[static_cast<std::size_t>(highlight_ - 1)];
                if (spec_.recordFile == 0) return 0;
                if (chosen.position == 0) return -1;
                return static_cast<std::int16_t>(
                    Source().Position(spec_.recordFile, chosen.position));
            }
            default:
                return -1;
        }
    }
}

}  // namespace

void SetBrowseRecordSourceForTesting(BrowseRecordSource* source) { SourceSeam() = source; }

void BrowseList(std::int16_t list, std::int16_t& result) {
    result = -1;
    // The list runs inside the field that F4 was pressed on.
    const NestedKeyTable nested;
    // A copy: a hook or the filter form may not change the list under us.
    const BrowseListEntry spec = List(list);
    if (spec.filterForm != 0) {
        std::int16_t key = 0;
        EditForm(spec.filterForm, 0, 0, key);
        if (key == keys::kEsc) return;
    }
    std::string prefix;
    std::string startKey;
    result = Hooks().listStartKey(list, prefix, startKey);
    if (result != 0) return;
    result = -1;
    if (spec.recordFile > 0) Source().SetLockMode(spec.recordFile, "+d");

    Style("+n");
    const std::int16_t depth = windowDepth;
    OpenWindow(spec.top, spec.left, spec.bottom, spec.right);
    const bool opened = windowDepth != depth;
    std::int16_t key = 0;
    if (opened) {
        DrawFrame(kFrameDouble);
        Style("h");
        SetExitKeys("+ea", "d,1b,4800,5000,4900,5100,4b00,4d00");
        if (spec.nextList != 0) SetExitKeys("a", "3e00");

        OpenList open(list, spec, std::move(prefix), std::move(startKey));
        if (open.cache_.Open(BrowseCachePath(), spec.recordFile != 0)) result = open.Run(key);
        open.cache_.Remove();
        SetExitKeys("-", "");
        CloseWindow();
    }
    Style("-");
    if (spec.recordFile > 0) Source().SetLockMode(spec.recordFile, "-");

    if (key == kF4 && spec.nextList != 0) {
        BrowseList(spec.nextList, result);
        if (result == 0) Hooks().applyListChoice(spec.nextList, 0, 0);
    }
}

void InstallBrowseLists() { SetListBrowser(BrowseList); }

}  // namespace vela
