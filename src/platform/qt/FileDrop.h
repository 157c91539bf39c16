#pragma once

class QDropEvent;

namespace tavrin {

// Takes a drop of files from another program as a copy, else as a link; never as a move, which
// tells a file manager to delete what it dropped. False when the source offers neither.
bool acceptFileDrop(QDropEvent* event);

} // namespace tavrin
