#include "app/job_work.h"

namespace pitbox {
namespace {

class JobWork : public LongWork {
public:
    JobWork(std::shared_ptr<Job> job, JobApply apply) : job_(std::move(job)), apply_(std::move(apply)) {}

    bool step() override { return job_->step(progress()); }
    bool take(AppState& s) override { return apply_.take && apply_.take(s, progress()); }
    void finish(AppState& s, bool stopped) override {
        if (apply_.finish) apply_.finish(s, stopped, done());
    }
    std::string doing(std::size_t done, std::size_t total) const override { return apply_.doing(done, total); }

private:
    const std::shared_ptr<Job> job_;
    const JobApply apply_;
};

}  // namespace

std::unique_ptr<LongWork> jobWork(std::shared_ptr<Job> job, JobApply apply) {
    return std::make_unique<JobWork>(std::move(job), std::move(apply));
}

}  // namespace pitbox
