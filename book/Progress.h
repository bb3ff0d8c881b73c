// The progress bar of a long operation, as the code that does the work sees it.
#pragma once

namespace numora {

class Progress {
public:
    virtual ~Progress() = default;
    virtual void SetProgressRange(int lo, int hi) = 0;
    virtual void SetProgressPos(int pos) = 0;
    virtual int ProgressPos() const = 0;
    void StepProgress(int by = 1) { SetProgressPos(ProgressPos() + by); }
};

}  // namespace numora
