#pragma once

#include "framework/core/FolderItem.h"
#include "framework/ui/Control.h"

namespace fw {

// Shows a local HTML page. Every link is offered to CancelLoad first; true keeps
// the viewer from loading it.
class HTMLViewer : public Control {
public:
    void LoadPage(const FolderItemRef& file);
    std::string CurrentURL() const;
    // The viewer's own edit commands.
    bool Copy();
    bool SelectAll();

    std::function<bool(const std::string&)> CancelLoad;
    // Framework: a link the user followed.
    void FollowLink(const std::string& url);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void ApplyDesign() override;
};

} // namespace fw
