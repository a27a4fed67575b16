// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search area over the file panel: the start folder, the name text, the file type, Search
// and Cancel, the count found and the result list. Its search walks the working folder's tree
// (FolderWalk) and fills the list; the window that owns it decides what a result means.
#include <functional>
#include <QFrame>
#include <QString>
#include "ui/common/PageModel.h"

class Platform;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TRadioGroup;
class FolderWalk;

class TSearchPanel : public QFrame {
    Q_OBJECT
public:
    TSearchPanel(Platform& platform, QWidget* parent);
    ~TSearchPanel() override;

    // Opens with the last results, count and text cleared, the file type `typeIndex` chosen,
    // the start folder shortened to fit its label, and the focus in the text.
    void Open(int typeIndex);
    // The folder the label names (the working folder as it changes).
    void SetStartFolder(const QString& folder);

    QString Text() const;
    void SetText(const QString& text);
    int TypeIndex() const;
    void SetTypeIndex(int index);

    // The buttons as a click presses them: nothing while a button is disabled.
    void PressSearch();
    void PressCancel();
    void PressClose();

    // The search as Search runs it, open or closed: refuses a text with an extension, walks
    // the working folder's tree, and leaves the matches (full paths), "No matches found" or
    // "Search cancelled" in the list. Nothing while a search runs already.
    void Search();
    // While a search walks: Search is disabled and Cancel enabled.
    bool Walking() const { return m_walk != nullptr; }
    const TSearchInfo& Info() const { return m_info; }

    // The result lines, read by the image list; the count is shown only after a search
    // that found something.
    const QListWidget* Results() const { return lbxFileSearch; }
    void ClearResults();
    QString FoundText() const;
    bool FoundShown() const;

    // Hooks to the owner: X pressed (the area is hidden then); a search ended (not when
    // refused); a result clicked (its row); and whether the owner's window is closing,
    // which ends a running walk.
    std::function<void()> OnClose;
    std::function<void()> OnSearched;
    std::function<void(int row)> OnResultChosen;
    std::function<bool()> Closing;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Build();
    void TypeChosen();
    void WalkTree();
    bool IsClosing() const { return Closing && Closing(); }

    Platform& m_platform;
    TSearchInfo m_info;
    FolderWalk* m_walk = nullptr; // the walk Search is running, else null
    QLabel* lblxDir = nullptr;
    QPushButton* btnSClose = nullptr;
    QLineEdit* edtSearch = nullptr;
    QPushButton* btnFSearch = nullptr;
    QPushButton* btnFCancel = nullptr;
    TRadioGroup* rdgExt = nullptr;
    QLabel* lblFound = nullptr;
    QListWidget* lbxFileSearch = nullptr;
};
