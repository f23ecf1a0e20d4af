#!/usr/bin/env bash
# A Slurm cluster of this one host for a test: its own munge daemon, slurmctld and slurmd,
# with configuration, state, sockets and ports of their own under DIR, so that it neither
# needs nor disturbs a Slurm or munge already on the machine. Needs root, as slurmd runs
# each job as its user.
#
#   one_node_slurm.sh start DIR   returns once the node takes jobs; SLURM_CONF=DIR/slurm.conf
#   one_node_slurm.sh wait DIR JOB waits for the job's tasks to end (sbatch --wait polls at
#                                 ever longer intervals), then prints "TASK EXITCODE" for each
#   one_node_slurm.sh stop DIR    stops the three daemons it started, by their PID files
set -euo pipefail

command=$1
dir=$(cd "$2" && pwd)

stop() {
    for daemon in slurmd slurmctld munged; do
        if [ -f "$dir/$daemon.pid" ]; then
            pid=$(cat "$dir/$daemon.pid")
            kill "$pid" 2>/dev/null || true
            # A daemon's parent is init, which may reap it late: a zombie has ended too.
            for _ in $(seq 50); do
                case $(ps -o stat= -p "$pid" 2>/dev/null || true) in "" | Z*) break ;; esac
                sleep 0.1
            done
            rm -f "$dir/$daemon.pid"
        fi
    done
}

if [ "$command" = stop ]; then
    stop
    exit 0
fi
if [ "$command" = wait ]; then
    export SLURM_CONF=$dir/slurm.conf
    for _ in $(seq 600); do
        [ -z "$(squeue -h -j "$3" 2>/dev/null)" ] && break
        sleep 0.1
    done
    # Ended jobs stay known to the controller for MinJobAge (300 s), accounting or not.
    scontrol -o show job "$3" | sed -n 's/.*ArrayTaskId=\([0-9]*\) .*ExitCode=\([0-9:]*\).*/\1 \2/p' | sort -n
    exit 0
fi

mkdir -p "$dir/state" "$dir/spool" "$dir/log"
mungekey --create --force --keyfile "$dir/munge.key"
munged --force --socket "$dir/munge.socket" --key-file "$dir/munge.key" --pid-file "$dir/munged.pid" \
    --log-file "$dir/log/munged.log" --seed-file "$dir/munged.seed"

# Two ports from the process number, away from Slurm's own 6817 and 6818.
port=$((20000 + ($$ % 20000) * 2))
host=$(hostname -s)
cat >"$dir/slurm.conf" <<CONF
ClusterName=zkltest
SlurmctldHost=$host(127.0.0.1)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$dir/munge.socket
CredType=cred/munge
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
SlurmctldPort=$port
SlurmdPort=$((port + 1))
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MpiDefault=none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$dir/slurm.conf
if ! slurmctld -c || ! slurmd; then
    stop
    echo "$0: the Slurm daemons did not start (see $dir/log)" >&2
    exit 1
fi
for _ in $(seq 100); do
    if [ "$(sinfo -h -o %t 2>/dev/null)" = idle ]; then exit 0; fi
    sleep 0.2
done
stop
echo "$0: the node did not become idle (see $dir/log)" >&2
exit 1
