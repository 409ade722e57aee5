// DatabaseJobs: the program database's network work, off the GUI thread.
//
// A job has two halves. Its work runs on the jobs' own thread holding no
// lock at all, so a stalled server (up to the request's deadline) keeps
// neither the window nor the plug-in mutex: the synth's replies, the timer
// and the keyboard go on. What the work found comes back as an apply step,
// which the GUI thread runs from its idle hook under the plug-in mutex,
// checking first what may have changed meanwhile. Jobs run one at a time,
// in the order posted.
//
// A list (what the browser shows) is only worth having while it is the
// newest one asked for: PostList gives up the list jobs still waiting,
// running (the network requests watch the flag) or not yet applied. A job
// the user asked for by itself (a save, an upload, a load) is never given
// up that way: it runs and applies whatever is posted after it.
//
// Threads: Post, Cancel, RunFinished and WaitIdle on the GUI thread; the
// work on the jobs' thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class DatabaseJobs
{
public:
  using Apply = std::function<void()>;
  // Returns the apply step (empty: nothing to apply). cancelled turns true
  // when the work should give up.
  using Work = std::function<Apply(const std::atomic<bool>& cancelled)>;

  DatabaseJobs() = default;
  ~DatabaseJobs() { Stop(); }
  DatabaseJobs(const DatabaseJobs&) = delete;
  DatabaseJobs& operator=(const DatabaseJobs&) = delete;

  // A job the user asked for: only Stop gives it up.
  void Post(Work work);
  // A list job, replacing the earlier list jobs (above).
  void PostList(Work work);
  // Runs the apply steps of finished jobs, oldest first; how many ran. The
  // caller holds the plug-in mutex.
  int RunFinished();
  // True while a job waits, runs, or has an apply step not yet run.
  bool Busy();
  // Waits until no job waits or runs, at most timeoutMs; false on time-out.
  bool WaitIdle(int timeoutMs);
  // Cancels everything and joins the thread. Idempotent.
  void Stop();

private:
  template <typename Step>
  struct Job
  {
    Step step;
    bool list = false;
  };

  void Loop();
  void Enqueue(Work work, bool list);

  std::mutex mLock;
  std::condition_variable mChanged;
  std::deque<Job<Work>> mWaiting;
  std::deque<Job<Apply>> mFinished;
  bool mRunning = false;  // a job's work is under way
  bool mRunningList = false;
  bool mStopping = false;
  // Replaced for each job, so a Cancel reaches only the job it was meant for.
  std::atomic<bool> mCancelled{false};
  std::thread mThread;
};
