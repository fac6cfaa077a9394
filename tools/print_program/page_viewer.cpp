#include "tools/print_program/page_viewer.hpp"

#include <algorithm>
#include <fstream>

#include "platform/code_page_850.hpp"
#include "platform/console.hpp"
#include "tools/print_program/run_records.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

// The pages of one text rendering, as CP850 lines.
std::vector<std::vector<std::string>> ReadPages(const std::string& path) {
    std::vector<std::vector<std::string>> pages(1);
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (line == "\f") {
            pages.emplace_back();
            continue;
        }
        pages.back().push_back(Cp850(line));
    }
    return pages;
}

}  // namespace

class PageViewer::Impl {
  public:
    explicit Impl(std::vector<ViewerDocument> documents) : documents_(std::move(documents)) {
        for (const ViewerDocument& d : documents_) total_ += std::max(d.pages, 1);
    }

    void Open() {
        const std::int16_t rows = ScreenRows();
        const std::int16_t columns = ScreenColumns();
        OpenWindow(1, 1, rows, columns);
        height_ = rows - 2;
        width_ = columns - 2;
    }

    void Load(std::size_t document) {
        if (document == loaded_) return;
        pages_ = ReadPages(documents_[document].textPath);
        loaded_ = document;
    }

    // Page number over the whole run (0-based) to document and page.
    void Go(long global) {
        global = std::clamp(global, 0L, std::max(total_ - 1, 0L));
        long first = 0;
        for (std::size_t d = 0; d < documents_.size(); ++d) {
            const long count = std::max(documents_[d].pages, 1);
            if (global < first + count) {
                document_ = d;
                page_ = global - first;
                break;
            }
            first += count;
        }
        global_ = global;
        top_ = 0;
    }

  public:
    void Handle(std::int16_t key) {
        const long lines = static_cast<long>(CurrentPage().size());
        switch (key) {
            case keys::kPageDown:
                Go(global_ + 1);
                break;
            case keys::kPageUp:
                Go(global_ - 1);
                break;
            case keys::kHome:
                Go(0);
                break;
            case keys::kEnd:
                Go(total_ - 1);
                break;
            case keys::kDown:
                top_ = std::min(top_ + 1, std::max(lines - height_, 0L));
                break;
            case keys::kUp:
                top_ = std::max(top_ - 1, 0L);
                break;
            case keys::kRight:
                left_ = std::max(0L, std::min(left_ + 8, Widest() - width_));
                break;
            case keys::kLeft:
                left_ = std::max(left_ - 8, 0L);
                break;
            default:
                Beep();
                break;
        }
    }

  private:
    // The page's widest line, the paper's width at least.
    long Widest() {
        long widest = 96;
        for (const std::string& line : CurrentPage()) {
            widest = std::max(widest, static_cast<long>(line.size()));
        }
        return widest;
    }

    const std::vector<std::string>& CurrentPage() {
        static const std::vector<std::string> none;
        if (documents_.empty()) return none;
        Load(document_);
        return page_ < static_cast<long>(pages_.size()) ? pages_[page_] : none;
    }

  public:
    void Draw() {
        std::string frame = "+rh";
        SetTextStyle(frame);
        DrawFrame(kFrameSingle);
        ScreenGrid& screen = Screen();
        const std::vector<std::string>& lines = CurrentPage();
        for (long r = 0; r < height_; ++r) {
            std::string text;
            const long at = top_ + r;
            if (at < static_cast<long>(lines.size()) &&
                left_ < static_cast<long>(lines[at].size())) {
                text = lines[at].substr(left_, width_);
            }
            text.resize(width_, ' ');
            screen.Locate(winTop + 1 + r, winLeft + 1);
            screen.Print(text);
        }
        std::string title;
        if (documents_.empty()) {
            title = " " + Cp850("0 / 0") + " ";
        } else {
            const ViewerDocument& d = documents_[document_];
            title = " " + Cp850(d.title) + "  " + std::to_string(page_ + 1) + "/" +
                    std::to_string(std::max(d.pages, 1)) + "  (" + std::to_string(global_ + 1) +
                    "/" + std::to_string(total_) + ") ";
        }
        const std::string help = " PgUp PgDn Home End \x18\x19\x1b\x1a Esc ";  // arrows in CP850
        screen.Locate(winTop, winLeft + 2);
        screen.Print(title.substr(0, std::max(0L, width_ - 2)));
        screen.Locate(winBottom, winLeft + 2);
        screen.Print(help.substr(0, std::max(0L, width_ - 2)));
        std::string back = "-";
        SetTextStyle(back);
    }

  private:
    std::vector<ViewerDocument> documents_;
    long total_ = 0;
    std::size_t document_ = 0;
    long page_ = 0;
    long global_ = 0;
    long top_ = 0;
    long left_ = 0;
    long height_ = 0;
    long width_ = 0;
    std::size_t loaded_ = static_cast<std::size_t>(-1);
    std::vector<std::vector<std::string>> pages_;
};

PageViewer::PageViewer(std::vector<ViewerDocument> documents)
    : impl_(std::make_unique<Impl>(std::move(documents))) {}
PageViewer::~PageViewer() = default;

void PageViewer::Open() { impl_->Open(); }
void PageViewer::Draw() { impl_->Draw(); }

bool PageViewer::Handle(std::int16_t key) {
    if (key == keys::kEsc) return false;
    impl_->Handle(key);
    return true;
}

void PageViewer::Close() {
    CloseWindow();
    PresentScreen();
}

std::vector<ViewerDocument> RunFolderDocuments(const std::string& folder) {
    std::vector<IndexEntry> entries;
    ReadIndex(folder + "/INDEX.txt", entries);
    std::vector<ViewerDocument> documents;
    for (const IndexEntry& e : entries) {
        ViewerDocument d;
        const std::string base = e.file.substr(0, e.file.rfind('.'));
        d.textPath = folder + "/" + base + ".txt";
        d.title = base + (e.recipient.empty() ? "" : "  " + e.recipient);
        d.pages = e.pages;
        documents.push_back(d);
    }
    return documents;
}

void ViewDocuments(const std::vector<ViewerDocument>& documents) {
    PageViewer viewer(documents);
    viewer.Open();
    for (;;) {
        viewer.Draw();
        std::int16_t key = 0;
        WaitKey(key);
        if (!viewer.Handle(key)) break;
    }
    viewer.Close();
}

}  // namespace vela
