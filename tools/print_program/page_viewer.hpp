// The page viewer: the documents of a run folder shown on the console, a
// page at a time, in a framed window over the whole screen (the screen
// beneath is put back when the viewer closes). PgDn / PgUp next and
// previous page, Home / End first and last page, Up / Down and Left / Right
// scroll the page in the window, Esc leaves. Only the document on show is
// held in memory: the pages are read from its text rendering.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vela {

struct ViewerDocument {
    std::string textPath;  // host path of the text rendering (UTF-8, pages split by form feeds)
    std::string title;     // shown in the frame (UTF-8)
    int pages = 0;
};

// The documents listed in a run folder's INDEX.txt.
std::vector<ViewerDocument> RunFolderDocuments(const std::string& folder);

// The viewer's steps, for a caller with its own key loop (and tests):
// Open takes the whole screen, Draw shows the page on show, Handle moves
// for a key (false for Esc), Close puts the screen back.
class PageViewer {
  public:
    explicit PageViewer(std::vector<ViewerDocument> documents);
    ~PageViewer();
    void Open();
    void Draw();
    bool Handle(std::int16_t key);
    void Close();

  private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// Shows the documents until Esc.
void ViewDocuments(const std::vector<ViewerDocument>& documents);

}  // namespace vela
