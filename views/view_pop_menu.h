// CViewPopMenu: a button that opens a pop-up menu; the chosen item's
// command id becomes its value.
#pragma once

#include <memory>

#include "views/pop_menu_model.h"
#include "views/view.h"

class CViewPopMenu : public CView {
public:
    CViewPopMenu(const TRect& rect, int32_t id, CPWindow* window);
    void MouseDown(SViewEvent& event) override;
    void ReadLayout(const CTokener& tokener, bool withRectangle) override;

    // The view keeps the model it is given (owned) or a borrowed one.
    void SetMenu(std::unique_ptr<CPopMenuModel> menu) {
        owned_ = std::move(menu);
        menu_ = owned_.get();
    }
    void SetSharedMenu(const CPopMenuModel* menu) {
        owned_.reset();
        menu_ = menu;
    }
    const CPopMenuModel* Menu() const { return menu_; }
    int32_t Alignment() const { return alignment_; }
    // The choice step after tracking: a result below 1 or equal to the
    // value changes nothing; otherwise the value becomes it and message 5
    // goes out. True when it changed.
    bool Choose(int32_t command);

private:
    std::unique_ptr<CPopMenuModel> owned_;
    const CPopMenuModel* menu_ = nullptr;
    int32_t alignment_ = 2;
};
