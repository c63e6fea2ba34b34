#!/usr/bin/env bash
# test-slurm.sh [BUILDDIR]: starts a one-node Slurm on this machine (munged,
# slurmctld and slurmd, everything in a scratch folder, free ports), converts
# a small season with orvantis-array.sbatch as a 4-task job array, and checks
# that the outputs equal those of one local run of the same converter byte for
# byte, that the tasks together took every listed file once, and that each
# task's exit status is the converter's. The daemons are stopped on every exit.
set -euo pipefail
build=$(realpath "${1:-build}")
here=$(cd "$(dirname "$0")" && pwd)
examples=$(cd "$here/../../examples" && pwd)
cli=$build/cli/orvantis-cli

fail() { echo "test-slurm: $*" >&2; exit 1; }

if [ "$(id -u)" -ne 0 ]; then
  echo "test-slurm: the daemons here run as root; skipped without root"
  exit 0
fi
for command in munged slurmctld slurmd sbatch sinfo scontrol scancel python3; do
  command -v "$command" >/dev/null ||
    fail "$command is missing (Debian's slurm-wlm and munge: run scripts/setup.sh as root)"
done
[ -x "$cli" ] || fail "no converter at $cli"

scratch=$(mktemp -d)
chmod 0755 "$scratch" # munged wants its socket's folders open to all
daemons=()
job=
# Cancels the job, stops the daemons last started first (they run in the
# foreground as children of this script, so each is waited for) and removes
# the scratch folder.
stop_cluster() {
  local status=$? i
  [ -z "$job" ] || scancel "$job" 2>/dev/null || true
  for ((i = ${#daemons[@]} - 1; i >= 0; i--)); do
    kill "${daemons[i]}" 2>/dev/null || true
    wait "${daemons[i]}" 2>/dev/null || true
  done
  if [ "$status" -ne 0 ]; then
    tail -n 5 "$scratch"/*.log "$scratch"/logs/*.log >&2 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap stop_cluster EXIT
trap 'exit 1' INT TERM HUP PIPE

# wait_until SECONDS WHAT COMMAND...: polls COMMAND until it succeeds.
wait_until() {
  local deadline=$((SECONDS + $1)) what=$2
  shift 2
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || fail "$what"
    sleep 0.1
  done
}

node=$(uname -n)
node=${node%%.*}
read -r ctld_port slurmd_port < <(python3 -c '
import socket
sockets = [socket.socket() for _ in range(2)]
for s in sockets: s.bind(("127.0.0.1", 0))
print(*(s.getsockname()[1] for s in sockets))')
mkdir -p "$scratch/munge" "$scratch/state" "$scratch/spool" "$scratch/logs"
# The node claims 8 CPUs whatever the machine has (config_overrides), so the
# four 2-CPU tasks start together instead of each waiting for a scheduling pass.
cat >"$scratch/slurm.conf" <<EOF
ClusterName=orvantis-test
SlurmctldHost=$node(127.0.0.1)
AuthType=auth/munge
AuthInfo=socket=$scratch/munge/munge.socket
SlurmUser=root
SlurmdUser=root
StateSaveLocation=$scratch/state
SlurmdSpoolDir=$scratch/spool
SlurmctldPidFile=$scratch/slurmctld.pid
SlurmdPidFile=$scratch/slurmd.pid
SlurmctldLogFile=$scratch/slurmctld.log
SlurmdLogFile=$scratch/slurmd.log
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MpiDefault=none
SlurmdParameters=config_overrides
NodeName=$node NodeAddr=127.0.0.1 CPUs=8 State=UNKNOWN
PartitionName=main Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF
export SLURM_CONF=$scratch/slurm.conf
export XDG_CONFIG_HOME=$scratch/config # the converters keep off the user's store

head -c 1024 /dev/urandom >"$scratch/munge.key"
chmod 0400 "$scratch/munge.key"
munged --foreground --key-file="$scratch/munge.key" --socket="$scratch/munge/munge.socket" \
  --pid-file="$scratch/munged.pid" --log-file="$scratch/munged.log" --seed-file="$scratch/munged.seed" \
  >>"$scratch/munged.log" 2>&1 &
daemons+=($!)
wait_until 10 "munged did not open its socket" test -S "$scratch/munge/munge.socket"
slurmctld -D -i >>"$scratch/slurmctld.out.log" 2>&1 &
daemons+=($!)
slurmd -D -N "$node" >>"$scratch/slurmd.out.log" 2>&1 &
daemons+=($!)
node_idle() { [ "$(sinfo -h -n "$node" -o %T 2>/dev/null)" = idle ]; }
wait_until 30 "the node did not become idle" node_idle

# The same season twice: one for the cluster, one for the local run. The
# text outputs name their source as given, so both convert the same relative
# paths. NOTES.bin is not a recording: the task that gets it must fail.
for copy in cluster local; do
  season=$scratch/$copy/season
  mkdir -p "$season/may/cast 1" "$season/may/cast 2" "$season/june"
  cp "$examples/EXAMPLE.CAL" "$scratch/$copy/"
  cp "$examples"/*.ASC "$examples"/*.BIN "$season/may/cast 1/"
  cp "$examples"/*.ASC "$examples"/*.BIN "$season/may/cast 2/"
  cp "$examples/SET0101A.ASC" "$season/june/SET0103A.asc"
done
head -c 2048 /dev/urandom | tee "$scratch/cluster/season/june/NOTES.bin" >"$scratch/local/season/june/NOTES.bin"
(cd "$scratch/cluster" && "$here/orvantis-list.sh" season) >"$scratch/files.txt"
[ "$(wc -l <"$scratch/files.txt")" = 8 ] || fail "the list helper found $(wc -l <"$scratch/files.txt") files, not 8"

mapfile -t files <"$scratch/files.txt"
local_status=0
(cd "$scratch/local" && "$cli" --cal EXAMPLE.CAL --level 4 --jobs 1 -- "${files[@]}" >/dev/null 2>&1) ||
  local_status=$?
[ "$local_status" = 1 ] || fail "the local run ended with $local_status, not 1 (NOTES.bin is not a recording)"

cpus=$(($(nproc) > 1 ? 2 : 1))
job=$(ORVANTIS_CLI=$cli ORVANTIS_OPTIONS="--level 4" sbatch --parsable --array=0-3 --cpus-per-task="$cpus" \
  --chdir="$scratch/cluster" --output="$scratch/logs/task-%a.log" --error="$scratch/logs/task-%a.err" \
  "$here/orvantis-array.sbatch" "$scratch/files.txt" --cal EXAMPLE.CAL)
job_done() {
  local states
  states=$(scontrol -o show job "$job") || return 1
  ! grep -qE 'JobState=(PENDING|CONFIGURING|RUNNING|COMPLETING|SUSPENDED)' <<<"$states"
}
wait_until 60 "job $job did not finish within 60 s" job_done

# Every task: its slice from its log, its problems, its exit status from Slurm.
covered=
for task in 0 1 2 3; do
  log=$scratch/logs/task-$task.log
  range=$(sed -n "s/^task $task: files \([0-9]*\)-\([0-9]*\) of .*, --jobs $cpus\$/\1,\2/p" "$log")
  [ -n "$range" ] || fail "task $task's log does not name its files and --jobs $cpus: $(head -1 "$log")"
  slice=$(sed -n "${range}p" "$scratch/files.txt")
  covered+=$slice$'\n'
  expected=0 problems=
  if grep -q NOTES.bin <<<"$slice"; then
    expected=1 problems="season/june/NOTES.bin is not a Tidelume data file"
  fi
  # Each task's errors, then the summary that ends every run of the converter.
  err=$scratch/logs/task-$task.err
  [ "$(sed '/^orvantis-cli: [0-9,]* files*: /,$d' "$err")" = "$problems" ] ||
    fail "task $task's problems: '$(cat "$err")', not '$problems'"
  grep -q "^orvantis-cli: $(grep -c . <<<"$slice") files*: .*; .* written in " "$err" ||
    fail "task $task's summary does not count its files: '$(cat "$err")'"
  record=$(scontrol -o show job "$job" | grep -E "ArrayTaskId=$task( |\$)")
  [[ $record == *" ExitCode=$expected:0"* ]] ||
    fail "task $task (files $range) should end with $expected: $(grep -o 'ExitCode=[^ ]*' <<<"$record")"
done
[ "$covered" = "$(cat "$scratch/files.txt")"$'\n' ] || fail "the tasks did not take every listed file exactly once"

diff -r "$scratch/local" "$scratch/cluster" >&2 || fail "the cluster's outputs differ from the local run's"
outputs=$(find "$scratch/cluster" -name '*.DAT' | wc -l)
[ "$outputs" = 7 ] || fail "$outputs outputs, not 7"
echo "test-slurm: a 4-task array converted a season of 8 files as one local run does"
