// The page viewer: the documents of a run folder shown on the console, a
// page at a time, in a framed window over the whole screen (the screen
// beneath is put back when the viewer closes). PgDn / PgUp next and
// previous page, Home / End first and last page, Up / Down and Left / Right
// scroll the page in the window, Esc leaves. Only the document on show is
// held in memory: the pages are read from its text rendering.
#pragma once

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

// Shows the documents until Esc.
void ViewDocuments(const std::vector<ViewerDocument>& documents);

}  // namespace vela
